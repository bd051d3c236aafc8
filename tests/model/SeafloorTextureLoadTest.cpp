// The program's texture through the project's loader onto the real device, as
// the model loads it (no load information): every level as stored in the file.
#include "ComPtr.h"
#include "TempFolder.h"
#include "TestDevice.h"
#include "TextureReadback.h"
#include "d3dx11.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(SeafloorTextureLoad, LoadsAsStoredWithItsWholeMipChain)
{
    const std::string file = TempFolder::ReadBytes("../Engine/data/seafloor.dds");
    ASSERT_FALSE(file.empty());
    TestDevice gpu;
    ASSERT_TRUE(gpu.Ok());
    ComPtr<ID3D11ShaderResourceView> view;
    ASSERT_HRESULT_SUCCEEDED(D3DX11CreateShaderResourceViewFromFileW(gpu.Device(), L"../Engine/data/seafloor.dds",
                                                                     nullptr, nullptr, view.Put(), nullptr));
    ComPtr<ID3D11Resource> resource;
    view->GetResource(resource.Put());
    ComPtr<ID3D11Texture2D> texture;
    ASSERT_HRESULT_SUCCEEDED(resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(texture.Put())));
    D3D11_TEXTURE2D_DESC textureDesc;
    texture->GetDesc(&textureDesc);
    EXPECT_EQ(textureDesc.Width, 256u);
    EXPECT_EQ(textureDesc.Height, 256u);
    EXPECT_EQ(textureDesc.MipLevels, 9u);
    EXPECT_EQ(textureDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);

    std::size_t offset = 128; // past "DDS " and the header
    for (UINT level = 0; level < 9; ++level)
    {
        TextureReadback readback;
        ASSERT_TRUE(readback.Read(gpu.Device(), gpu.Context(), texture.Get(), level));
        const UINT size = 256u >> level;
        ASSERT_EQ(readback.Width(), size);
        for (UINT y = 0; y < size; ++y)
        {
            ASSERT_EQ(std::memcmp(readback.Row(y), file.data() + offset, size * 4), 0) << "level " << level << " row " << y;
            offset += size * 4;
        }
    }
}
