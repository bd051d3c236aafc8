// The renderer on the real device: what it draws, what it holds, how it fails.
#include "TriangleRenderer.h"

#include "ComPtr.h"
#include "ScratchDirectory.h"
#include "TestDevice.h"
#include "TestWindow.h"
#include "TextureReadback.h"
#include "VtableHook.h"

#include "d3dx11.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
// The program's client area: 500 wide, shorter than 400 by the menu bar.
const int ClientWidth = 500;
const int ClientHeight = 380;

const uint32_t Background = 0xFF663300u;  // (0, 51, 102) as 0xAABBGGRR

struct Rgb
{
    int r, g, b;
};

Rgb ColourOf(uint32_t rgba)
{
    return {static_cast<int>(rgba & 0xFF), static_cast<int>((rgba >> 8) & 0xFF),
            static_cast<int>((rgba >> 16) & 0xFF)};
}

bool IsBackground(uint32_t rgba)
{
    const Rgb c = ColourOf(rgba);
    return std::abs(c.r - 0) <= 1 && std::abs(c.g - 51) <= 1 && std::abs(c.b - 102) <= 1;
}

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// The swap chain discards its buffer on present, so the frame is caught on its
// way there: Present is swapped for one that first resolves the multisampled
// back buffer into a plain texture.
struct PresentCapture
{
    VtableHook* hook = nullptr;
    ID3D11Texture2D* frame = nullptr;
    int presents = 0;
    UINT syncInterval = 99;
};
PresentCapture capture;

void ResolveBackBuffer(IDXGISwapChain* chain)
{
    ComPtr<ID3D11Texture2D> backBuffer;
    if (FAILED(chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(backBuffer.Put()))))
        return;
    D3D11_TEXTURE2D_DESC textureDesc;
    backBuffer->GetDesc(&textureDesc);
    textureDesc.SampleDesc.Count = 1;
    textureDesc.SampleDesc.Quality = 0;
    textureDesc.BindFlags = 0;
    if (capture.frame)
        capture.frame->Release();
    capture.frame = nullptr;
    if (SUCCEEDED(device->CreateTexture2D(&textureDesc, nullptr, &capture.frame)))
        deviceContext->ResolveSubresource(capture.frame, 0, backBuffer.Get(), 0, textureDesc.Format);
}

HRESULT STDMETHODCALLTYPE CapturingPresent(IDXGISwapChain* chain, UINT syncInterval, UINT flags)
{
    ++capture.presents;
    capture.syncInterval = syncInterval;
    ResolveBackBuffer(chain);
    using Present = HRESULT(STDMETHODCALLTYPE*)(IDXGISwapChain*, UINT, UINT);
    return reinterpret_cast<Present>(capture.hook->Original())(chain, syncInterval, flags);
}

const size_t PresentIndex = 8;  // after IUnknown, IDXGIObject and IDXGIDeviceSubObject

class TriangleRendererRunning : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const bool started = StartDirect3D(window.Handle());
        ASSERT_TRUE(started) << StartFailure();
    }
    void TearDown() override
    {
        if (capture.frame)
            capture.frame->Release();
        capture = PresentCapture();
        StopDirect3D();
    }

    // Draws one frame and reads back what it presented.
    bool DrawAndCapture(TextureReadback& readback)
    {
        VtableHook hook(swapChain, PresentIndex, reinterpret_cast<void*>(&CapturingPresent));
        if (!hook.Ok())
            return false;
        capture.hook = &hook;
        DrawFrame();
        capture.hook = nullptr;
        return capture.frame && readback.Read(device, deviceContext, capture.frame);
    }

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

TEST_F(TriangleRendererRunning, DrawsTheTriangleOnTheDarkBlueBackgroundInsideA500By400Viewport)
{
    TextureReadback frame;
    ASSERT_TRUE(DrawAndCapture(frame));
    EXPECT_EQ(capture.presents, 1);
    EXPECT_EQ(capture.syncInterval, 0u) << "a frame must not wait for the vertical blank";
    ASSERT_EQ(frame.Width(), static_cast<UINT>(ClientWidth));
    ASSERT_EQ(frame.Height(), static_cast<UINT>(ClientHeight));

    // Background everywhere outside the triangle, the corners included.
    EXPECT_EQ(frame.Rgba8(0, 0), Background);
    EXPECT_EQ(frame.Rgba8(ClientWidth - 1, ClientHeight - 1), Background);
    EXPECT_EQ(frame.Rgba8(250, 98), Background);
    EXPECT_EQ(frame.Rgba8(250, 301), Background);

    // Clip space maps onto 500 x 400 even though the buffer is only 380 high:
    // x 137.5 to 362.5, y 100 to 300.
    UINT left = ClientWidth, right = 0, top = ClientHeight, bottom = 0;
    for (UINT y = 0; y < frame.Height(); ++y)
        for (UINT x = 0; x < frame.Width(); ++x)
            if (!IsBackground(frame.Rgba8(x, y)))
            {
                left = x < left ? x : left;
                right = x > right ? x : right;
                top = y < top ? y : top;
                bottom = y > bottom ? y : bottom;
            }
    EXPECT_GE(left, 137u);
    EXPECT_LE(left, 139u);
    EXPECT_GE(right, 361u);
    EXPECT_LE(right, 362u);
    EXPECT_GE(top, 100u);
    EXPECT_LE(top, 102u);
    EXPECT_GE(bottom, 298u);
    EXPECT_LE(bottom, 299u);

    const Rgb topCorner = ColourOf(frame.Rgba8(250, 104));
    EXPECT_GT(topCorner.r, 230);
    EXPECT_LT(topCorner.g, 25);
    EXPECT_LT(topCorner.b, 25);
    const Rgb lowerRight = ColourOf(frame.Rgba8(355, 297));
    EXPECT_LT(lowerRight.r, 25);
    EXPECT_GT(lowerRight.g, 230);
    EXPECT_LT(lowerRight.b, 25);
    const Rgb lowerLeft = ColourOf(frame.Rgba8(145, 297));
    EXPECT_LT(lowerLeft.r, 25);
    EXPECT_LT(lowerLeft.g, 25);
    EXPECT_GT(lowerLeft.b, 230);
    // A third of each at the centroid.
    const Rgb centre = ColourOf(frame.Rgba8(250, 233));
    EXPECT_NEAR(centre.r, 85, 4);
    EXPECT_NEAR(centre.g, 85, 4);
    EXPECT_NEAR(centre.b, 85, 4);
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

TEST_F(TriangleRendererRunning, BindsThePipelineOnceAndTheBufferEachFrame)
{
    ComPtr<ID3D11RenderTargetView> target;
    ComPtr<ID3D11DepthStencilView> depth;
    deviceContext->OMGetRenderTargets(1, target.Put(), depth.Put());
    EXPECT_EQ(target.Get(), backBufferTarget);
    EXPECT_FALSE(depth);

    UINT count = 2;
    D3D11_VIEWPORT viewports[2];
    deviceContext->RSGetViewports(&count, viewports);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(viewports[0].TopLeftX, 0.0f);
    EXPECT_EQ(viewports[0].TopLeftY, 0.0f);
    EXPECT_EQ(viewports[0].Width, 500.0f);
    EXPECT_EQ(viewports[0].Height, 400.0f);

    ComPtr<ID3D11InputLayout> layout;
    deviceContext->IAGetInputLayout(layout.Put());
    EXPECT_EQ(layout.Get(), inputLayout);
    ComPtr<ID3D11VertexShader> vs;
    deviceContext->VSGetShader(vs.Put(), nullptr, nullptr);
    EXPECT_EQ(vs.Get(), vertexShader);
    ComPtr<ID3D11PixelShader> ps;
    deviceContext->PSGetShader(ps.Put(), nullptr, nullptr);
    EXPECT_EQ(ps.Get(), pixelShader);

    // Unbound by someone else, the buffer and topology come back with the next frame.
    deviceContext->IASetVertexBuffers(0, 0, nullptr, nullptr, nullptr);
    deviceContext->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_POINTLIST);
    DrawFrame();
    ComPtr<ID3D11Buffer> buffer;
    UINT stride = 0, offset = 1;
    deviceContext->IAGetVertexBuffers(0, 1, buffer.Put(), &stride, &offset);
    EXPECT_EQ(buffer.Get(), vertexBuffer);
    EXPECT_EQ(stride, 28u);
    EXPECT_EQ(offset, 0u);
    D3D11_PRIMITIVE_TOPOLOGY topology;
    deviceContext->IAGetPrimitiveTopology(&topology);
    EXPECT_EQ(topology, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}
}
