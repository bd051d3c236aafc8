// The graphics device on the real Direct3D 11: what it creates, binds and clears.
#include "GraphicsDevice.h"

#include "ComPtr.h"
#include "FailureSweep.h"
#include "FaultInjection.h"
#include "HeldRootsTest.h"
#include "TestWindow.h"
#include "TextureReadback.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const float FarPlane = 1000.0f;
const float NearPlane = 0.1f;

template <typename View>
D3D11_TEXTURE2D_DESC TextureDescOf(View* view, ComPtr<ID3D11Texture2D>& texture)
{
    ComPtr<ID3D11Resource> resource;
    view->GetResource(resource.Put());
    resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(texture.Put()));
    D3D11_TEXTURE2D_DESC desc = {};
    texture->GetDesc(&desc);
    return desc;
}

// Depth resources are copied whole, never by region.
std::vector<uint32_t> ReadDepthStencil(ID3D11Device* device, ID3D11DeviceContext* context,
                                       ID3D11DepthStencilView* view)
{
    ComPtr<ID3D11Texture2D> texture;
    D3D11_TEXTURE2D_DESC desc = TextureDescOf(view, texture);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ComPtr<ID3D11Texture2D> staging;
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (FAILED(device->CreateTexture2D(&desc, nullptr, staging.Put())))
        return {};
    context->CopyResource(staging.Get(), texture.Get());
    if (FAILED(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped)))
        return {};
    std::vector<uint32_t> texels;
    for (UINT y = 0; y < desc.Height; ++y)
    {
        const uint8_t* row = static_cast<const uint8_t*>(mapped.pData) + static_cast<size_t>(y) * mapped.RowPitch;
        texels.insert(texels.end(), reinterpret_cast<const uint32_t*>(row),
                      reinterpret_cast<const uint32_t*>(row) + desc.Width);
    }
    context->Unmap(staging.Get(), 0);
    return texels;
}

// Row vector times matrix, then the perspective divide: D3DX conventions.
D3DXVECTOR3 Project(const D3DXMATRIX& m, float x, float y, float z)
{
    float out[4];
    for (int column = 0; column < 4; ++column)
        out[column] = x * m.m[0][column] + y * m.m[1][column] + z * m.m[2][column] + m.m[3][column];
    return D3DXVECTOR3(out[0] / out[3], out[1] / out[3], out[2] / out[3]);
}

// Every root the device creates is held, so each test ends with a leak check:
// after Shutdown the swap chain and the device die with the last reference.
class GraphicsDeviceTest : public HeldRootsTest
{
protected:
    void TearDown() override
    {
        graphics.Shutdown();
        HeldRootsTest::TearDown();
    }

    bool InitializeWindowed(bool vsync)
    {
        return graphics.Initialize(800, 600, vsync, window.Handle(), false, FarPlane, NearPlane);
    }

    DXGI_SWAP_CHAIN_DESC SwapChainDesc()
    {
        DXGI_SWAP_CHAIN_DESC swapChainDesc = {};
        FaultInjection::LastSwapChain()->GetDesc(&swapChainDesc);
        return swapChainDesc;
    }

    TestWindow window{800, 600};
    GraphicsDevice graphics;
};
}

TEST_F(GraphicsDeviceTest, WindowedWithoutVsyncBindsBackBufferDepthStatesAndViewport)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ID3D11DeviceContext* context = graphics.GetContext();
    EXPECT_EQ(graphics.GetDevice()->GetFeatureLevel(), D3D_FEATURE_LEVEL_11_0);
    DXGI_SWAP_CHAIN_DESC swapChainDesc = SwapChainDesc();
    EXPECT_TRUE(swapChainDesc.Windowed);
    EXPECT_EQ(swapChainDesc.OutputWindow, window.Handle());
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Numerator, 0u);
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Denominator, 1u);

    ComPtr<ID3D11RenderTargetView> target;
    ComPtr<ID3D11DepthStencilView> depthView;
    context->OMGetRenderTargets(1, target.Put(), depthView.Put());
    ASSERT_TRUE(target);
    EXPECT_EQ(depthView.Get(), graphics.GetDepthStencilView());
    ComPtr<ID3D11Texture2D> texture;
    EXPECT_EQ(TextureDescOf(target.Get(), texture).Width, 800u);
    D3D11_TEXTURE2D_DESC depthDesc = TextureDescOf(depthView.Get(), texture);
    EXPECT_EQ(depthDesc.Height, 600u);
    EXPECT_EQ(depthDesc.Format, DXGI_FORMAT_D24_UNORM_S8_UINT);

    ComPtr<ID3D11DepthStencilState> depthState;
    UINT stencilRef = 0;
    context->OMGetDepthStencilState(depthState.Put(), &stencilRef);
    D3D11_DEPTH_STENCIL_DESC depthStencilDesc;
    depthState->GetDesc(&depthStencilDesc);
    EXPECT_TRUE(depthStencilDesc.DepthEnable);
    EXPECT_EQ(depthStencilDesc.BackFace.StencilDepthFailOp, D3D11_STENCIL_OP_DECR);
    EXPECT_EQ(stencilRef, 1u);

    ComPtr<ID3D11RasterizerState> rasterState;
    context->RSGetState(rasterState.Put());
    D3D11_RASTERIZER_DESC rasterDesc;
    rasterState->GetDesc(&rasterDesc);
    EXPECT_EQ(rasterDesc.CullMode, D3D11_CULL_BACK);
    EXPECT_FALSE(rasterDesc.FrontCounterClockwise);

    UINT viewportCount = 1;
    D3D11_VIEWPORT viewport = {};
    context->RSGetViewports(&viewportCount, &viewport);
    EXPECT_EQ(viewport.Width, 800.0f);
    EXPECT_EQ(viewport.Height, 600.0f);
    EXPECT_EQ(viewport.MaxDepth, 1.0f);
}

TEST_F(GraphicsDeviceTest, WindowedWithVsyncTakesTheRateOfTheLastMatchingMode)
{
    ASSERT_TRUE(InitializeWindowed(true));

    ComPtr<IDXGIFactory> factory;
    ComPtr<IDXGIAdapter> adapter;
    ComPtr<IDXGIOutput> output;
    CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(factory.Put()));
    factory->EnumAdapters(0, adapter.Put());
    adapter->EnumOutputs(0, output.Put());
    UINT modeCount = 0;
    output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &modeCount, nullptr);
    std::vector<DXGI_MODE_DESC> modes(modeCount);
    output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &modeCount, modes.data());
    DXGI_RATIONAL expected = {0, 1};
    for (auto mode = modes.rbegin(); mode != modes.rend(); ++mode)
    {
        if (mode->Width == 800 && mode->Height == 600)
        {
            expected = mode->RefreshRate;
            break;
        }
    }

    DXGI_SWAP_CHAIN_DESC swapChainDesc = SwapChainDesc();
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Numerator, expected.Numerator);
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Denominator, expected.Denominator);
    graphics.BeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    graphics.EndFrame();
}

TEST_F(GraphicsDeviceTest, BeginFrameClearsTheBackBufferWhateverTargetIsBound)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ComPtr<ID3D11RenderTargetView> backBufferTarget;
    graphics.GetContext()->OMGetRenderTargets(1, backBufferTarget.Put(), nullptr);
    graphics.GetContext()->OMSetRenderTargets(0, nullptr, nullptr);

    graphics.BeginFrame(1.0f, 0.5f, 0.25f, 1.0f);

    ComPtr<ID3D11Texture2D> backBuffer;
    TextureDescOf(backBufferTarget.Get(), backBuffer);
    TextureReadback readback;
    ASSERT_TRUE(readback.Read(graphics.GetDevice(), graphics.GetContext(), backBuffer.Get()));
    EXPECT_EQ(readback.Rgba8(0, 0), 0xFF4080FFu);
    EXPECT_EQ(readback.Rgba8(799, 599), 0xFF4080FFu);
}

TEST_F(GraphicsDeviceTest, BeginFrameClearsDepthToOneAndLeavesTheStencil)
{
    ASSERT_TRUE(InitializeWindowed(false));
    graphics.GetContext()->ClearDepthStencilView(graphics.GetDepthStencilView(),
                                                 D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 0.25f, 0x5A);

    graphics.BeginFrame(0.0f, 0.0f, 0.0f, 1.0f);

    std::vector<uint32_t> texels =
        ReadDepthStencil(graphics.GetDevice(), graphics.GetContext(), graphics.GetDepthStencilView());
    ASSERT_EQ(texels.size(), 800u * 600u);
    // Direct3D keeps the stencil in the top byte; Wine hands back OpenGL's
    // packing with the stencil in the low byte. Either way: depth 1.0, stencil 0x5A.
    size_t wrong = 0;
    for (uint32_t texel : texels)
        wrong += texel != 0x5AFFFFFFu && texel != 0xFFFFFF5Au;
    EXPECT_EQ(wrong, 0u) << "first texel 0x" << std::hex << texels[0];
}

TEST_F(GraphicsDeviceTest, MatricesMapTheViewVolumeAndTheWorldStaysIdentity)
{
    ASSERT_TRUE(InitializeWindowed(false));

    D3DXMATRIX projection;
    graphics.GetProjectionMatrix(projection);
    EXPECT_FLOAT_EQ(projection._22 / projection._11, 1.3333334f);
    // tan(pi / 8): the top edge of a quarter-turn field of view.
    const float tanHalfFov = 0.41421356f;
    D3DXVECTOR3 corner = Project(projection, FarPlane * tanHalfFov * 800.0f / 600.0f, FarPlane * tanHalfFov, FarPlane);
    EXPECT_NEAR(corner.x, 1.0f, 1e-5f);
    EXPECT_NEAR(corner.y, 1.0f, 1e-5f);
    EXPECT_NEAR(corner.z, 1.0f, 1e-5f);
    EXPECT_NEAR(Project(projection, 0.0f, 0.0f, NearPlane).z, 0.0f, 1e-5f);

    D3DXMATRIX ortho;
    graphics.GetOrthoMatrix(ortho);
    D3DXVECTOR3 topRight = Project(ortho, 400.0f, 300.0f, NearPlane);
    D3DXVECTOR3 bottomLeft = Project(ortho, -400.0f, -300.0f, FarPlane);
    EXPECT_FLOAT_EQ(topRight.x, 1.0f);
    EXPECT_FLOAT_EQ(topRight.y, 1.0f);
    EXPECT_NEAR(topRight.z, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(bottomLeft.x, -1.0f);
    EXPECT_FLOAT_EQ(bottomLeft.y, -1.0f);
    EXPECT_NEAR(bottomLeft.z, 1.0f, 1e-6f);

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DXMATRIX world;
    graphics.GetWorldMatrix(world);
    EXPECT_EQ(world, identity);
    D3DXMatrixRotationY(&world, 1.0f);
    graphics.GetWorldMatrix(world);
    EXPECT_EQ(world, identity);
}

TEST_F(GraphicsDeviceTest, StateOperationsBindTheirStates)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ID3D11DeviceContext* context = graphics.GetContext();
    ComPtr<ID3D11DepthStencilState> depthState;
    UINT stencilRef = 0;
    D3D11_DEPTH_STENCIL_DESC depthDesc;
    ComPtr<ID3D11BlendState> blendState;
    float blendFactor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    UINT sampleMask = 0;
    D3D11_BLEND_DESC blendDesc;

    graphics.DisableDepthTest();
    context->OMGetDepthStencilState(depthState.Put(), &stencilRef);
    depthState->GetDesc(&depthDesc);
    EXPECT_FALSE(depthDesc.DepthEnable);
    EXPECT_EQ(depthDesc.FrontFace.StencilDepthFailOp, D3D11_STENCIL_OP_INCR);
    EXPECT_EQ(stencilRef, 1u);
    graphics.EnableDepthTest();
    context->OMGetDepthStencilState(depthState.Put(), &stencilRef);
    depthState->GetDesc(&depthDesc);
    EXPECT_TRUE(depthDesc.DepthEnable);

    graphics.EnableAlphaBlending();
    context->OMGetBlendState(blendState.Put(), blendFactor, &sampleMask);
    blendState->GetDesc(&blendDesc);
    EXPECT_TRUE(blendDesc.RenderTarget[0].BlendEnable);
    EXPECT_EQ(blendDesc.RenderTarget[0].DestBlend, D3D11_BLEND_INV_SRC_ALPHA);
    EXPECT_EQ(blendFactor[0], 0.0f);
    EXPECT_EQ(sampleMask, 0xFFFFFFFFu);
    graphics.DisableAlphaBlending();
    context->OMGetBlendState(blendState.Put(), blendFactor, &sampleMask);
    blendState->GetDesc(&blendDesc);
    EXPECT_FALSE(blendDesc.RenderTarget[0].BlendEnable);

    context->OMSetRenderTargets(0, nullptr, nullptr);
    graphics.BindBackBuffer();
    ComPtr<ID3D11RenderTargetView> target;
    ComPtr<ID3D11DepthStencilView> depthView;
    context->OMGetRenderTargets(1, target.Put(), depthView.Put());
    EXPECT_TRUE(target);
    EXPECT_EQ(depthView.Get(), graphics.GetDepthStencilView());
}

TEST_F(GraphicsDeviceTest, FullScreenSwapChainIsMadeWindowedBeforeRelease)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    TestWindow fullScreenWindow(width, height, WS_POPUP);
    ASSERT_TRUE(graphics.Initialize(width, height, true, fullScreenWindow.Handle(), true, FarPlane, NearPlane));
    IDXGISwapChain* swapChain = FaultInjection::LastSwapChain();
    EXPECT_FALSE(SwapChainDesc().Windowed);
    BOOL fullScreen = FALSE;
    swapChain->GetFullscreenState(&fullScreen, nullptr);
    EXPECT_TRUE(fullScreen);

    graphics.Shutdown();
    swapChain->GetFullscreenState(&fullScreen, nullptr);
    EXPECT_FALSE(fullScreen);
}

// Each creating call failing in turn: Initialize gives up at once, and
// Shutdown (safe twice, and on a device never set up) releases exactly what
// was created.
TEST_F(GraphicsDeviceTest, EachFailingCreatingCallEndsInitializeAndShutdownReleasesTheRest)
{
    graphics.Shutdown();
    FailureSweep sweep([this] {
        GraphicsDevice device;
        const bool initialized = device.Initialize(800, 600, true, window.Handle(), false, FarPlane, NearPlane);
        device.Shutdown();
        device.Shutdown();
        EXPECT_EQ(device.GetDevice(), nullptr);
        return initialized;
    });
    EXPECT_EQ(sweep.Clean().roots, 2u) << "a device and a swap chain";
    sweep.FailEach([](int k, const FailureSweep::Run& run) {
        EXPECT_EQ(run.calls, k) << "calls after the failure";
        EXPECT_TRUE(run.boxes.empty());
    });
}
