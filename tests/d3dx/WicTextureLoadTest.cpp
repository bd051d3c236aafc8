// Images other than DDS, written with WIC's own encoders and loaded back.
#include "ComPtr.h"
#include "TempFolder.h"
#include "TestDevice.h"
#include "TextureReadback.h"
#include "d3dx11.h"

#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
// Writes BGRA texels to a file of the given container kind; false when the
// platform cannot.
bool Encode(const std::wstring& path, REFGUID container, UINT width, UINT height, std::vector<uint8_t> bgra)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.Put()))) &&
           SUCCEEDED(factory->CreateStream(stream.Put())) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.Put())) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.Put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) &&
           SUCCEEDED(frame->WritePixels(height, width * 4, static_cast<UINT>(bgra.size()), bgra.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

class WicTextureLoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The encoder needs COM on this thread; the loader must cope with that too.
        comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    }

    void TearDown() override
    {
        if (comStarted)
            CoUninitialize();
    }

    HRESULT Load(const std::wstring& path, D3DX11_IMAGE_INFO* info = nullptr)
    {
        D3DX11_IMAGE_LOAD_INFO loadInfo = {};
        loadInfo.pSrcInfo = info;
        return D3DX11CreateShaderResourceViewFromFileW(gpu.Device(), path.c_str(), info ? &loadInfo : nullptr,
                                                       nullptr, view.Put(), nullptr);
    }

    ID3D11Texture2D* Texture()
    {
        ComPtr<ID3D11Resource> resource;
        view->GetResource(resource.Put());
        texture.Reset();
        resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(texture.Put()));
        return texture.Get();
    }

    bool comStarted = false;
    TestDevice gpu;
    TempFolder files;
    ComPtr<ID3D11ShaderResourceView> view;
    ComPtr<ID3D11Texture2D> texture;
};

// 6 x 4 texels, BGRA, with varied alpha.
std::vector<uint8_t> Picture()
{
    std::vector<uint8_t> bgra;
    for (int i = 0; i < 24; ++i)
    {
        bgra.push_back(static_cast<uint8_t>(i * 10));
        bgra.push_back(static_cast<uint8_t>(255 - i * 7));
        bgra.push_back(static_cast<uint8_t>(i * i % 256));
        bgra.push_back(static_cast<uint8_t>(i % 3 == 0 ? 255 : 128 + i));
    }
    return bgra;
}

TEST_F(WicTextureLoad, PngBecomesRgba8WithAFullChain)
{
    ASSERT_TRUE(gpu.Ok());
    const std::wstring path = files.Path(L"picture.png");
    const std::vector<uint8_t> bgra = Picture();
    ASSERT_TRUE(Encode(path, GUID_ContainerFormatPng, 6, 4, bgra));

    D3DX11_IMAGE_INFO info = {};
    ASSERT_EQ(Load(path, &info), S_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DX11_IFF_PNG);
    EXPECT_EQ(info.Width, 6u);
    EXPECT_EQ(info.MipLevels, 1u);
    D3D11_TEXTURE2D_DESC desc;
    Texture()->GetDesc(&desc);
    EXPECT_EQ(desc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(desc.Width, 6u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(desc.MipLevels, 3u);

    TextureReadback level0;
    ASSERT_TRUE(level0.Read(gpu.Device(), gpu.Context(), texture.Get(), 0));
    for (UINT y = 0; y < 4; ++y)
        for (UINT x = 0; x < 6; ++x)
        {
            const uint8_t* source = &bgra[(y * 6 + x) * 4];
            const uint32_t rgba = source[2] | source[1] << 8 | source[0] << 16 | static_cast<uint32_t>(source[3]) << 24;
            EXPECT_EQ(level0.Rgba8(x, y), rgba) << x << "," << y;
        }

    // The last level averages the middle one; its red is that of the 2 x 2 below.
    TextureReadback level1;
    TextureReadback level2;
    ASSERT_TRUE(level1.Read(gpu.Device(), gpu.Context(), texture.Get(), 1));
    ASSERT_TRUE(level2.Read(gpu.Device(), gpu.Context(), texture.Get(), 2));
    EXPECT_EQ(level1.Width(), 3u);
    EXPECT_EQ(level2.Width(), 1u);
    const uint32_t red = (bgra[2] + bgra[6] + bgra[24 + 2] + bgra[24 + 6] + 2) / 4;
    EXPECT_EQ(level1.Rgba8(0, 0) & 0xFF, red);
}

TEST_F(WicTextureLoad, BmpLoadsAndCorruptImagesFail)
{
    ASSERT_TRUE(gpu.Ok());
    const std::wstring bmp = files.Path(L"picture.bmp");
    if (Encode(bmp, GUID_ContainerFormatBmp, 6, 4, Picture()))
    {
        D3DX11_IMAGE_INFO info = {};
        EXPECT_EQ(Load(bmp, &info), S_OK);
        EXPECT_EQ(info.ImageFileFormat, D3DX11_IFF_BMP);
    }

    const std::wstring png = files.Path(L"cut.png");
    ASSERT_TRUE(Encode(png, GUID_ContainerFormatPng, 6, 4, Picture()));
    const std::string bytes = files.Read(L"cut.png");
    ASSERT_FALSE(files.Write(L"cut.png", bytes.substr(0, bytes.size() / 2)).empty());
    EXPECT_EQ(Load(png), E_FAIL);
    EXPECT_FALSE(view);
}

TEST(WicComBalance, LoadingLeavesComAsItFoundIt)
{
    TestDevice gpu;
    ASSERT_TRUE(gpu.Ok());
    TempFolder files;
    const std::wstring path = files.Path(L"balance.png");
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    const bool encoded = Encode(path, GUID_ContainerFormatPng, 6, 4, Picture());
    CoUninitialize();
    ASSERT_TRUE(encoded);

    ComPtr<ID3D11ShaderResourceView> view;
    ASSERT_EQ(D3DX11CreateShaderResourceViewFromFileW(gpu.Device(), path.c_str(), nullptr, nullptr, view.Put(),
                                                      nullptr),
              S_OK);
    // Had the loader left its apartment open, this would report a mode change.
    const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(again, S_OK);
    if (SUCCEEDED(again))
        CoUninitialize();
}
}
