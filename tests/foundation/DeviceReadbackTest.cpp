// The template for GPU tests: draw with the real device, read the pixels back.
#include "TestDevice.h"
#include "TextureReadback.h"

#include <gtest/gtest.h>

TEST(DeviceReadback, ClearedBackBufferReadsBackAsTheClearColour)
{
    TestDevice gpu(64, 48);
    ASSERT_TRUE(gpu.Ok()) << "device creation failed: 0x" << std::hex << gpu.Result();
    EXPECT_EQ(gpu.Device()->GetFeatureLevel(), D3D_FEATURE_LEVEL_11_0);

    ComPtr<ID3D11Texture2D> backBuffer;
    *backBuffer.Put() = gpu.BackBuffer();
    ComPtr<ID3D11RenderTargetView> target;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateRenderTargetView(backBuffer.Get(), nullptr, target.Put()));

    const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    gpu.Context()->ClearRenderTargetView(target.Get(), colour);

    TextureReadback readback;
    ASSERT_TRUE(readback.Read(gpu.Device(), gpu.Context(), backBuffer.Get()));
    ASSERT_EQ(readback.Width(), 64u);
    ASSERT_EQ(readback.Height(), 48u);
    // 0.5 and 0.25 land on 128 and 64 (round to nearest) in UNORM8.
    EXPECT_EQ(readback.Rgba8(0, 0), 0xFF4080FFu);
    EXPECT_EQ(readback.Rgba8(63, 47), 0xFF4080FFu);
}

TEST(DeviceReadback, FloatRenderTargetKeepsFullPrecision)
{
    TestDevice gpu;
    ASSERT_TRUE(gpu.Ok());

    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = 8;
    textureDesc.Height = 8;
    textureDesc.MipLevels = 1;
    textureDesc.ArraySize = 1;
    textureDesc.Format = DXGI_FORMAT_R32G32B32A32_FLOAT;
    textureDesc.SampleDesc.Count = 1;
    textureDesc.BindFlags = D3D11_BIND_RENDER_TARGET;
    ComPtr<ID3D11Texture2D> texture;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateTexture2D(&textureDesc, nullptr, texture.Put()));
    ComPtr<ID3D11RenderTargetView> target;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateRenderTargetView(texture.Get(), nullptr, target.Put()));

    const float colour[4] = {0.1f, 1.0f / 3.0f, 0.0f, 1.0f};
    gpu.Context()->ClearRenderTargetView(target.Get(), colour);

    TextureReadback readback;
    ASSERT_TRUE(readback.Read(gpu.Device(), gpu.Context(), texture.Get()));
    const float* texel = reinterpret_cast<const float*>(readback.Row(7)) + 7 * 4;
    EXPECT_EQ(texel[0], 0.1f);
    EXPECT_EQ(texel[1], 1.0f / 3.0f);
    EXPECT_EQ(texel[2], 0.0f);
    EXPECT_EQ(texel[3], 1.0f);
}
