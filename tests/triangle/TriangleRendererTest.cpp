// The running renderer on the real device: what it created and what its
// vertex buffer holds. What it draws is checked on screen by the program tests.
#include "TriangleRenderer.h"

#include "ComPtr.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace
{
// The program's client area: 500 wide, shorter than 400 by the menu bar.
const int ClientWidth = 500;
const int ClientHeight = 380;

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

class TriangleRendererRunning : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const bool started = StartDirect3D(window.Handle());
        ASSERT_TRUE(started) << StartFailure();
    }
    void TearDown() override { StopDirect3D(); }

    TestWindow window{ClientWidth, ClientHeight};
};

TEST_F(TriangleRendererRunning, CreatesEveryObjectWithAFourSampleBackBufferOfTheClientSize)
{
    EXPECT_STREQ(StartFailure(), L"");
    ASSERT_TRUE(swapChain && device && deviceContext && backBufferTarget && inputLayout && vertexShader &&
                pixelShader && vertexBuffer);

    DXGI_SWAP_CHAIN_DESC scd;
    ASSERT_HRESULT_SUCCEEDED(swapChain->GetDesc(&scd));
    EXPECT_EQ(scd.BufferDesc.Width, static_cast<UINT>(ClientWidth));
    EXPECT_EQ(scd.BufferDesc.Height, static_cast<UINT>(ClientHeight));
    EXPECT_EQ(scd.BufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(scd.SampleDesc.Count, 4u);
    EXPECT_EQ(scd.OutputWindow, window.Handle());
    EXPECT_TRUE(scd.Windowed);
}

TEST_F(TriangleRendererRunning, VertexBufferHoldsTheThreeVerticesOnce)
{
    D3D11_BUFFER_DESC bd;
    vertexBuffer->GetDesc(&bd);
    EXPECT_EQ(bd.ByteWidth, 84u);
    EXPECT_EQ(bd.Usage, D3D11_USAGE_DYNAMIC);
    EXPECT_EQ(bd.BindFlags, static_cast<UINT>(D3D11_BIND_VERTEX_BUFFER));
    EXPECT_EQ(bd.CPUAccessFlags, static_cast<UINT>(D3D11_CPU_ACCESS_WRITE));

    D3D11_BUFFER_DESC stagingDesc = {};
    stagingDesc.ByteWidth = bd.ByteWidth;
    stagingDesc.Usage = D3D11_USAGE_STAGING;
    stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ComPtr<ID3D11Buffer> staging;
    ASSERT_HRESULT_SUCCEEDED(device->CreateBuffer(&stagingDesc, nullptr, staging.Put()));
    deviceContext->CopyResource(staging.Get(), vertexBuffer);
    D3D11_MAPPED_SUBRESOURCE mapped;
    ASSERT_HRESULT_SUCCEEDED(deviceContext->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped));
    uint32_t bits[21];
    std::memcpy(bits, mapped.pData, sizeof(bits));
    deviceContext->Unmap(staging.Get(), 0);

    // Position x, y, z then red, green, blue, alpha; 0.45 is 0x3EE66666.
    const uint32_t one = Bits(1.0f), half = Bits(0.5f), minusHalf = Bits(-0.5f);
    const uint32_t expected[21] = {
        0, half, 0, one, 0, 0, one,
        0x3EE66666u, minusHalf, 0, 0, one, 0, one,
        0xBEE66666u, minusHalf, 0, 0, 0, one, one,
    };
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(bits[i], expected[i]) << "float " << i;
}
}
