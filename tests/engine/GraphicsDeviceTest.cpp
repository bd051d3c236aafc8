// The graphics device on the real Direct3D 11: what it creates, binds and clears.
#include "GraphicsDevice.h"

#include "ComPtr.h"
#include "FaultInjection.h"
#include "TestWindow.h"
#include "TextureReadback.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const float FarPlane = 1000.0f;
const float NearPlane = 0.1f;

D3D11_TEXTURE2D_DESC TextureDescOf(ID3D11View* view)
{
    ComPtr<ID3D11Resource> resource;
    view->GetResource(resource.Put());
    ComPtr<ID3D11Texture2D> texture;
    resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(texture.Put()));
    D3D11_TEXTURE2D_DESC desc = {};
    texture->GetDesc(&desc);
    return desc;
}

// Depth-stencil texels as stored: depth in the low 24 bits, stencil in the top 8.
// Depth resources are copied whole, never by region.
std::vector<uint32_t> ReadDepthStencil(ID3D11Device* device, ID3D11DeviceContext* context,
                                       ID3D11DepthStencilView* view)
{
    ComPtr<ID3D11Resource> resource;
    view->GetResource(resource.Put());
    ComPtr<ID3D11Texture2D> texture;
    resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(texture.Put()));
    D3D11_TEXTURE2D_DESC desc;
    texture->GetDesc(&desc);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ComPtr<ID3D11Texture2D> staging;
    if (FAILED(device->CreateTexture2D(&desc, nullptr, staging.Put())))
        return {};
    context->CopyResource(staging.Get(), texture.Get());
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (FAILED(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped)))
        return {};
    std::vector<uint32_t> texels;
    for (UINT y = 0; y < desc.Height; ++y)
    {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(mapped.pData) +
                                                                static_cast<size_t>(y) * mapped.RowPitch);
        texels.insert(texels.end(), row, row + desc.Width);
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
class GraphicsDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FaultInjection::Install();
        FaultInjection::ReleaseHeldRoots();
        FaultInjection::HoldRoots(true);
    }
    void TearDown() override
    {
        graphics.Shutdown();
        FaultInjection::Disarm();
        FaultInjection::HoldRoots(false);
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }

    IDXGISwapChain* SwapChain() { return FaultInjection::LastSwapChain(); }

    bool InitializeWindowed(bool vsync)
    {
        return graphics.Initialize(800, 600, vsync, window.Handle(), false, FarPlane, NearPlane);
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

    ComPtr<ID3D11RenderTargetView> target;
    ComPtr<ID3D11DepthStencilView> depthView;
    context->OMGetRenderTargets(1, target.Put(), depthView.Put());
    ASSERT_TRUE(target);
    EXPECT_EQ(depthView.Get(), graphics.GetDepthStencilView());

    D3D11_TEXTURE2D_DESC backBufferDesc = TextureDescOf(target.Get());
    EXPECT_EQ(backBufferDesc.Width, 800u);
    EXPECT_EQ(backBufferDesc.Height, 600u);
    EXPECT_EQ(backBufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);

    D3D11_TEXTURE2D_DESC depthDesc = TextureDescOf(depthView.Get());
    EXPECT_EQ(depthDesc.Width, 800u);
    EXPECT_EQ(depthDesc.Height, 600u);
    EXPECT_EQ(depthDesc.Format, DXGI_FORMAT_D24_UNORM_S8_UINT);
    EXPECT_EQ(depthDesc.MipLevels, 1u);
    EXPECT_EQ(depthDesc.BindFlags, static_cast<UINT>(D3D11_BIND_DEPTH_STENCIL));

    ComPtr<ID3D11DepthStencilState> depthState;
    UINT stencilRef = 0;
    context->OMGetDepthStencilState(depthState.Put(), &stencilRef);
    ASSERT_TRUE(depthState);
    EXPECT_EQ(stencilRef, 1u);
    D3D11_DEPTH_STENCIL_DESC depthStencilDesc;
    depthState->GetDesc(&depthStencilDesc);
    EXPECT_TRUE(depthStencilDesc.DepthEnable);
    EXPECT_EQ(depthStencilDesc.DepthFunc, D3D11_COMPARISON_LESS);
    EXPECT_TRUE(depthStencilDesc.StencilEnable);
    EXPECT_EQ(depthStencilDesc.FrontFace.StencilDepthFailOp, D3D11_STENCIL_OP_INCR);
    EXPECT_EQ(depthStencilDesc.BackFace.StencilDepthFailOp, D3D11_STENCIL_OP_DECR);
    EXPECT_EQ(depthStencilDesc.FrontFace.StencilFunc, D3D11_COMPARISON_ALWAYS);

    ComPtr<ID3D11RasterizerState> rasterState;
    context->RSGetState(rasterState.Put());
    ASSERT_TRUE(rasterState);
    D3D11_RASTERIZER_DESC rasterDesc;
    rasterState->GetDesc(&rasterDesc);
    EXPECT_EQ(rasterDesc.FillMode, D3D11_FILL_SOLID);
    EXPECT_EQ(rasterDesc.CullMode, D3D11_CULL_BACK);
    EXPECT_FALSE(rasterDesc.FrontCounterClockwise);
    EXPECT_TRUE(rasterDesc.DepthClipEnable);

    UINT viewportCount = 1;
    D3D11_VIEWPORT viewport = {};
    context->RSGetViewports(&viewportCount, &viewport);
    ASSERT_EQ(viewportCount, 1u);
    EXPECT_EQ(viewport.TopLeftX, 0.0f);
    EXPECT_EQ(viewport.TopLeftY, 0.0f);
    EXPECT_EQ(viewport.Width, 800.0f);
    EXPECT_EQ(viewport.Height, 600.0f);
    EXPECT_EQ(viewport.MinDepth, 0.0f);
    EXPECT_EQ(viewport.MaxDepth, 1.0f);

    // Blending stays at the pipeline default until asked for.
    ComPtr<ID3D11BlendState> blendState;
    float blendFactor[4];
    UINT sampleMask = 0;
    context->OMGetBlendState(blendState.Put(), blendFactor, &sampleMask);
    EXPECT_FALSE(blendState);

    ASSERT_NE(SwapChain(), nullptr);
    DXGI_SWAP_CHAIN_DESC swapChainDesc;
    ASSERT_HRESULT_SUCCEEDED(SwapChain()->GetDesc(&swapChainDesc));
    EXPECT_TRUE(swapChainDesc.Windowed);
    EXPECT_EQ(swapChainDesc.OutputWindow, window.Handle());
    EXPECT_EQ(swapChainDesc.BufferCount, 1u);
    EXPECT_EQ(swapChainDesc.BufferDesc.Width, 800u);
    EXPECT_EQ(swapChainDesc.BufferDesc.Height, 600u);
    EXPECT_EQ(swapChainDesc.SwapEffect, DXGI_SWAP_EFFECT_DISCARD);
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Numerator, 0u);
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Denominator, 1u);
}

TEST_F(GraphicsDeviceTest, WindowedWithVsyncTakesTheRateOfTheLastMatchingMode)
{
    ASSERT_TRUE(InitializeWindowed(true));

    ComPtr<IDXGIFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(factory.Put())));
    ComPtr<IDXGIAdapter> adapter;
    ASSERT_HRESULT_SUCCEEDED(factory->EnumAdapters(0, adapter.Put()));
    ComPtr<IDXGIOutput> output;
    ASSERT_HRESULT_SUCCEEDED(adapter->EnumOutputs(0, output.Put()));
    UINT modeCount = 0;
    ASSERT_HRESULT_SUCCEEDED(
        output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &modeCount, nullptr));
    std::vector<DXGI_MODE_DESC> modes(modeCount);
    ASSERT_HRESULT_SUCCEEDED(output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED,
                                                        &modeCount, modes.data()));
    DXGI_RATIONAL expected = {0, 1};
    for (auto mode = modes.rbegin(); mode != modes.rend(); ++mode)
    {
        if (mode->Width == 800 && mode->Height == 600)
        {
            expected = mode->RefreshRate;
            break;
        }
    }

    ASSERT_NE(SwapChain(), nullptr);
    DXGI_SWAP_CHAIN_DESC swapChainDesc;
    ASSERT_HRESULT_SUCCEEDED(SwapChain()->GetDesc(&swapChainDesc));
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Numerator, expected.Numerator);
    EXPECT_EQ(swapChainDesc.BufferDesc.RefreshRate.Denominator, expected.Denominator);

    graphics.BeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    graphics.EndFrame();
}

TEST_F(GraphicsDeviceTest, BeginFrameClearsTheBackBufferWhateverTargetIsBound)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ID3D11Device* device = graphics.GetDevice();
    ID3D11DeviceContext* context = graphics.GetContext();
    ComPtr<ID3D11RenderTargetView> backBufferTarget;
    context->OMGetRenderTargets(1, backBufferTarget.Put(), nullptr);
    ComPtr<ID3D11Resource> backBuffer;
    backBufferTarget->GetResource(backBuffer.Put());

    // Another target bound in its place is left alone.
    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = 16;
    textureDesc.Height = 16;
    textureDesc.MipLevels = 1;
    textureDesc.ArraySize = 1;
    textureDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    textureDesc.SampleDesc.Count = 1;
    textureDesc.BindFlags = D3D11_BIND_RENDER_TARGET;
    ComPtr<ID3D11Texture2D> other;
    ASSERT_HRESULT_SUCCEEDED(device->CreateTexture2D(&textureDesc, nullptr, other.Put()));
    ComPtr<ID3D11RenderTargetView> otherTarget;
    ASSERT_HRESULT_SUCCEEDED(device->CreateRenderTargetView(other.Get(), nullptr, otherTarget.Put()));
    const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    context->ClearRenderTargetView(otherTarget.Get(), green);
    ID3D11RenderTargetView* otherTargets[1] = {otherTarget.Get()};
    context->OMSetRenderTargets(1, otherTargets, nullptr);

    graphics.BeginFrame(1.0f, 0.5f, 0.25f, 1.0f);

    TextureReadback readback;
    ASSERT_TRUE(readback.Read(device, context, backBuffer.Get()));
    EXPECT_EQ(readback.Rgba8(0, 0), 0xFF4080FFu);
    EXPECT_EQ(readback.Rgba8(400, 300), 0xFF4080FFu);
    EXPECT_EQ(readback.Rgba8(799, 599), 0xFF4080FFu);
    ASSERT_TRUE(readback.Read(device, context, other.Get()));
    EXPECT_EQ(readback.Rgba8(8, 8), 0xFF00FF00u);
}

TEST_F(GraphicsDeviceTest, BeginFrameClearsDepthToOneAndLeavesTheStencil)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ID3D11DeviceContext* context = graphics.GetContext();
    context->ClearDepthStencilView(graphics.GetDepthStencilView(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 0.25f,
                                   0x5A);

    graphics.BeginFrame(0.0f, 0.0f, 0.0f, 1.0f);

    std::vector<uint32_t> texels = ReadDepthStencil(graphics.GetDevice(), context, graphics.GetDepthStencilView());
    ASSERT_EQ(texels.size(), 800u * 600u);
    // Direct3D keeps the stencil in the top byte; Wine hands back OpenGL's
    // packing with the stencil in the low byte. Either way: depth 1.0, stencil 0x5A.
    size_t wrong = 0;
    for (uint32_t texel : texels)
        wrong += texel != 0x5AFFFFFFu && texel != 0xFFFFFF5Au;
    EXPECT_EQ(wrong, 0u) << "first texel 0x" << std::hex << texels[0];
}

TEST_F(GraphicsDeviceTest, MatricesMapTheViewVolumeOntoTheViewport)
{
    ASSERT_TRUE(InitializeWindowed(false));

    D3DXMATRIX projection;
    graphics.GetProjectionMatrix(projection);
    EXPECT_FLOAT_EQ(projection._22 / projection._11, 1.3333334f);
    // The field of view is a quarter turn's half: tan(pi / 8) at the top edge.
    const float tanHalfFov = 0.41421356f;
    D3DXVECTOR3 topRightFar = Project(projection, FarPlane * tanHalfFov * 800.0f / 600.0f, FarPlane * tanHalfFov,
                                      FarPlane);
    EXPECT_NEAR(topRightFar.x, 1.0f, 1e-5f);
    EXPECT_NEAR(topRightFar.y, 1.0f, 1e-5f);
    EXPECT_NEAR(topRightFar.z, 1.0f, 1e-5f);
    D3DXVECTOR3 centreNear = Project(projection, 0.0f, 0.0f, NearPlane);
    EXPECT_NEAR(centreNear.z, 0.0f, 1e-5f);

    D3DXMATRIX ortho;
    graphics.GetOrthoMatrix(ortho);
    D3DXVECTOR3 topRight = Project(ortho, 400.0f, 300.0f, NearPlane);
    EXPECT_FLOAT_EQ(topRight.x, 1.0f);
    EXPECT_FLOAT_EQ(topRight.y, 1.0f);
    EXPECT_NEAR(topRight.z, 0.0f, 1e-6f);
    D3DXVECTOR3 bottomLeft = Project(ortho, -400.0f, -300.0f, FarPlane);
    EXPECT_FLOAT_EQ(bottomLeft.x, -1.0f);
    EXPECT_FLOAT_EQ(bottomLeft.y, -1.0f);
    EXPECT_NEAR(bottomLeft.z, 1.0f, 1e-6f);
}

TEST_F(GraphicsDeviceTest, WorldMatrixStaysIdentityWhenACallerChangesItsCopy)
{
    ASSERT_TRUE(InitializeWindowed(false));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);

    D3DXMATRIX world;
    graphics.GetWorldMatrix(world);
    EXPECT_EQ(world, identity);
    D3DXMatrixRotationY(&world, 1.0f);
    world._41 = 7.0f;

    D3DXMATRIX again;
    graphics.GetWorldMatrix(again);
    EXPECT_EQ(again, identity);
}

TEST_F(GraphicsDeviceTest, DepthAndBlendOperationsBindTheirStates)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ID3D11DeviceContext* context = graphics.GetContext();

    graphics.DisableDepthTest();
    ComPtr<ID3D11DepthStencilState> depthState;
    UINT stencilRef = 0;
    context->OMGetDepthStencilState(depthState.Put(), &stencilRef);
    ASSERT_TRUE(depthState);
    D3D11_DEPTH_STENCIL_DESC depthOff;
    depthState->GetDesc(&depthOff);
    EXPECT_FALSE(depthOff.DepthEnable);
    EXPECT_EQ(stencilRef, 1u);

    graphics.EnableDepthTest();
    context->OMGetDepthStencilState(depthState.Put(), &stencilRef);
    ASSERT_TRUE(depthState);
    D3D11_DEPTH_STENCIL_DESC depthOn;
    depthState->GetDesc(&depthOn);
    EXPECT_TRUE(depthOn.DepthEnable);
    EXPECT_EQ(stencilRef, 1u);
    // The two states differ in the depth test only.
    depthOff.DepthEnable = TRUE;
    EXPECT_EQ(memcmp(&depthOn, &depthOff, sizeof(depthOn)), 0);

    ComPtr<ID3D11BlendState> blendState;
    float blendFactor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    UINT sampleMask = 0;
    graphics.EnableAlphaBlending();
    context->OMGetBlendState(blendState.Put(), blendFactor, &sampleMask);
    ASSERT_TRUE(blendState);
    D3D11_BLEND_DESC alphaOn;
    blendState->GetDesc(&alphaOn);
    EXPECT_TRUE(alphaOn.RenderTarget[0].BlendEnable);
    EXPECT_EQ(alphaOn.RenderTarget[0].SrcBlend, D3D11_BLEND_ONE);
    EXPECT_EQ(alphaOn.RenderTarget[0].DestBlend, D3D11_BLEND_INV_SRC_ALPHA);
    EXPECT_EQ(alphaOn.RenderTarget[0].DestBlendAlpha, D3D11_BLEND_ZERO);
    EXPECT_EQ(alphaOn.RenderTarget[0].RenderTargetWriteMask, D3D11_COLOR_WRITE_ENABLE_ALL);
    EXPECT_EQ(blendFactor[0], 0.0f);
    EXPECT_EQ(blendFactor[3], 0.0f);
    EXPECT_EQ(sampleMask, 0xFFFFFFFFu);

    graphics.DisableAlphaBlending();
    context->OMGetBlendState(blendState.Put(), blendFactor, &sampleMask);
    ASSERT_TRUE(blendState);
    D3D11_BLEND_DESC alphaOff;
    blendState->GetDesc(&alphaOff);
    EXPECT_FALSE(alphaOff.RenderTarget[0].BlendEnable);
    EXPECT_EQ(alphaOff.RenderTarget[0].RenderTargetWriteMask, D3D11_COLOR_WRITE_ENABLE_ALL);
}

TEST_F(GraphicsDeviceTest, BindBackBufferRestoresTheBackBufferAndDepthView)
{
    ASSERT_TRUE(InitializeWindowed(false));
    ID3D11DeviceContext* context = graphics.GetContext();
    ComPtr<ID3D11RenderTargetView> original;
    context->OMGetRenderTargets(1, original.Put(), nullptr);
    context->OMSetRenderTargets(0, nullptr, nullptr);

    graphics.BindBackBuffer();

    ComPtr<ID3D11RenderTargetView> target;
    ComPtr<ID3D11DepthStencilView> depthView;
    context->OMGetRenderTargets(1, target.Put(), depthView.Put());
    EXPECT_EQ(target.Get(), original.Get());
    EXPECT_EQ(depthView.Get(), graphics.GetDepthStencilView());
}

// The leak check of the fixture runs after the second Shutdown.
TEST_F(GraphicsDeviceTest, ShutdownReleasesEverythingAndIsSafeTwice)
{
    ASSERT_TRUE(InitializeWindowed(true));

    graphics.Shutdown();
    EXPECT_EQ(graphics.GetDevice(), nullptr);
    EXPECT_EQ(graphics.GetContext(), nullptr);
    EXPECT_EQ(graphics.GetDepthStencilView(), nullptr);

    graphics.Shutdown();
    GraphicsDevice neverInitialized;
    neverInitialized.Shutdown();
    neverInitialized.Shutdown();
}

TEST_F(GraphicsDeviceTest, FullScreenSwapChainIsMadeWindowedBeforeRelease)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    TestWindow fullScreenWindow(width, height, WS_POPUP);
    ASSERT_TRUE(graphics.Initialize(width, height, true, fullScreenWindow.Handle(), true, FarPlane, NearPlane));

    IDXGISwapChain* swapChain = SwapChain();
    ASSERT_NE(swapChain, nullptr);
    DXGI_SWAP_CHAIN_DESC swapChainDesc;
    ASSERT_HRESULT_SUCCEEDED(swapChain->GetDesc(&swapChainDesc));
    EXPECT_FALSE(swapChainDesc.Windowed);
    BOOL fullScreen = FALSE;
    swapChain->GetFullscreenState(&fullScreen, nullptr);
    EXPECT_TRUE(fullScreen);

    graphics.Shutdown();
    swapChain->GetFullscreenState(&fullScreen, nullptr);
    EXPECT_FALSE(fullScreen);
}

namespace
{
// The creating calls of a successful set-up, in the order they are made.
const char* const CreatingCalls[] = {
    "CreateDXGIFactory",
    "IDXGIFactory::EnumAdapters",
    "IDXGIAdapter::EnumOutputs",
    "IDXGIOutput::GetDisplayModeList",
    "operator new[]",
    "IDXGIOutput::GetDisplayModeList",
    "D3D11CreateDeviceAndSwapChain",
    "IDXGISwapChain::GetBuffer",
    "ID3D11Device::CreateRenderTargetView",
    "ID3D11Device::CreateTexture2D",
    "ID3D11Device::CreateDepthStencilState",
    "ID3D11Device::CreateDepthStencilView",
    "ID3D11Device::CreateRasterizerState",
    "ID3D11Device::CreateDepthStencilState",
    "ID3D11Device::CreateBlendState",
    "ID3D11Device::CreateBlendState",
};
}

TEST_F(GraphicsDeviceTest, CreatingCallsComeInTheirOrder)
{
    FaultInjection::Arm(0);
    ASSERT_TRUE(InitializeWindowed(true));
    FaultInjection::Disarm();
    EXPECT_EQ(FaultInjection::Calls(), std::vector<std::string>(std::begin(CreatingCalls), std::end(CreatingCalls)));
}

// Each creating call failing in turn: Initialize gives up at once, and
// Shutdown (twice) releases exactly what was created - the fixture's leak
// check runs after every round.
TEST_F(GraphicsDeviceTest, EachFailingCreatingCallEndsInitializeAndShutdownReleasesTheRest)
{
    const int callCount = static_cast<int>(std::size(CreatingCalls));
    for (int failAt = 1; failAt <= callCount; ++failAt)
    {
        SCOPED_TRACE(CreatingCalls[failAt - 1]);
        GraphicsDevice device;
        FaultInjection::Arm(failAt);
        EXPECT_FALSE(device.Initialize(800, 600, true, window.Handle(), false, FarPlane, NearPlane));
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), CreatingCalls[failAt - 1]);
        EXPECT_EQ(FaultInjection::Count(), failAt) << "calls after the failure";

        device.Shutdown();
        device.Shutdown();
        EXPECT_EQ(device.GetDevice(), nullptr);
        EXPECT_EQ(device.GetContext(), nullptr);
        EXPECT_EQ(device.GetDepthStencilView(), nullptr);
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }
}
