#include "GraphicsDevice.h"

#include "FindRefreshRate.h"
#include "ReleaseInterface.h"
#include "ScopedInterface.h"

#include <memory>
#include <new>

namespace
{
// Pi / 4 in single precision.
const float FieldOfView = 0.785398185f;

// The depth-on and depth-off states differ only in the depth test.
D3D11_DEPTH_STENCIL_DESC DepthStencilDescription(BOOL depthEnable)
{
    D3D11_DEPTH_STENCIL_DESC description = {};
    description.DepthEnable = depthEnable;
    description.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
    description.DepthFunc = D3D11_COMPARISON_LESS;
    description.StencilEnable = TRUE;
    description.StencilReadMask = 0xFF;
    description.StencilWriteMask = 0xFF;
    description.FrontFace.StencilFailOp = D3D11_STENCIL_OP_KEEP;
    description.FrontFace.StencilDepthFailOp = D3D11_STENCIL_OP_INCR;
    description.FrontFace.StencilPassOp = D3D11_STENCIL_OP_KEEP;
    description.FrontFace.StencilFunc = D3D11_COMPARISON_ALWAYS;
    description.BackFace.StencilFailOp = D3D11_STENCIL_OP_KEEP;
    description.BackFace.StencilDepthFailOp = D3D11_STENCIL_OP_DECR;
    description.BackFace.StencilPassOp = D3D11_STENCIL_OP_KEEP;
    description.BackFace.StencilFunc = D3D11_COMPARISON_ALWAYS;
    return description;
}
}

GraphicsDevice::GraphicsDevice()
    : vsyncEnabled(false), swapChain(nullptr), device(nullptr), deviceContext(nullptr), renderTargetView(nullptr),
      depthStencilBuffer(nullptr), depthStencilState(nullptr), depthStencilView(nullptr), rasterState(nullptr),
      depthDisabledStencilState(nullptr), alphaEnableBlendingState(nullptr), alphaDisableBlendingState(nullptr)
{
}

GraphicsDevice::~GraphicsDevice() = default;

bool GraphicsDevice::Initialize(int screenWidth, int screenHeight, bool vsync, HWND window, bool fullScreen,
                                float farPlaneDistance, float nearPlaneDistance)
{
    vsyncEnabled = vsync;

    DXGI_RATIONAL refreshRate = {0, 1};
    if (!QueryRefreshRate(screenWidth, screenHeight, refreshRate))
        return false;
    if (!vsyncEnabled)
        refreshRate = {0, 1};

    if (!CreateDeviceAndSwapChain(screenWidth, screenHeight, refreshRate, window, fullScreen))
        return false;
    if (!CreateBackBufferTarget())
        return false;
    if (!CreateDepthBuffer(screenWidth, screenHeight))
        return false;
    if (!CreateDepthOnState())
        return false;
    if (!CreateDepthStencilView())
        return false;

    BindBackBuffer();

    if (!CreateRasterizerState())
        return false;
    SetViewport(screenWidth, screenHeight);
    BuildMatrices(screenWidth, screenHeight, farPlaneDistance, nearPlaneDistance);

    if (!CreateDepthOffState())
        return false;
    return CreateBlendStates();
}

// The mode list of the primary adapter's first output is read even without
// vsync, so a missing output fails set-up either way.
bool GraphicsDevice::QueryRefreshRate(int screenWidth, int screenHeight, DXGI_RATIONAL& refreshRate)
{
    ScopedInterface<IDXGIFactory> factory;
    if (FAILED(CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(factory.Put()))))
        return false;

    ScopedInterface<IDXGIAdapter> adapter;
    if (FAILED(factory->EnumAdapters(0, adapter.Put())))
        return false;

    ScopedInterface<IDXGIOutput> adapterOutput;
    if (FAILED(adapter->EnumOutputs(0, adapterOutput.Put())))
        return false;

    UINT numModes = 0;
    if (FAILED(adapterOutput->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &numModes,
                                                 nullptr)))
        return false;

    std::unique_ptr<DXGI_MODE_DESC[]> displayModeList(new (std::nothrow) DXGI_MODE_DESC[numModes]);
    if (!displayModeList)
        return false;

    if (FAILED(adapterOutput->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &numModes,
                                                 displayModeList.get())))
        return false;

    refreshRate = FindRefreshRate(displayModeList.get(), numModes, static_cast<UINT>(screenWidth),
                                  static_cast<UINT>(screenHeight));
    return true;
}

bool GraphicsDevice::CreateDeviceAndSwapChain(int screenWidth, int screenHeight, DXGI_RATIONAL refreshRate,
                                              HWND window, bool fullScreen)
{
    DXGI_SWAP_CHAIN_DESC swapChainDesc = {};
    swapChainDesc.BufferDesc.Width = static_cast<UINT>(screenWidth);
    swapChainDesc.BufferDesc.Height = static_cast<UINT>(screenHeight);
    swapChainDesc.BufferDesc.RefreshRate = refreshRate;
    swapChainDesc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    swapChainDesc.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
    swapChainDesc.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
    swapChainDesc.SampleDesc.Count = 1;
    swapChainDesc.SampleDesc.Quality = 0;
    swapChainDesc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    swapChainDesc.BufferCount = 1;
    swapChainDesc.OutputWindow = window;
    swapChainDesc.Windowed = fullScreen ? FALSE : TRUE;
    swapChainDesc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    swapChainDesc.Flags = 0;

    D3D_FEATURE_LEVEL featureLevel = D3D_FEATURE_LEVEL_11_0;
    HRESULT result = D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &featureLevel, 1,
                                                   D3D11_SDK_VERSION, &swapChainDesc, &swapChain, &device, nullptr,
                                                   &deviceContext);
    return SUCCEEDED(result);
}

// The view keeps the back buffer alive; our own reference goes at once.
bool GraphicsDevice::CreateBackBufferTarget()
{
    ScopedInterface<ID3D11Texture2D> backBufferPtr;
    if (FAILED(swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(backBufferPtr.Put()))))
        return false;
    return SUCCEEDED(device->CreateRenderTargetView(backBufferPtr.Get(), nullptr, &renderTargetView));
}

bool GraphicsDevice::CreateDepthBuffer(int screenWidth, int screenHeight)
{
    D3D11_TEXTURE2D_DESC depthBufferDesc = {};
    depthBufferDesc.Width = static_cast<UINT>(screenWidth);
    depthBufferDesc.Height = static_cast<UINT>(screenHeight);
    depthBufferDesc.MipLevels = 1;
    depthBufferDesc.ArraySize = 1;
    depthBufferDesc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
    depthBufferDesc.SampleDesc.Count = 1;
    depthBufferDesc.SampleDesc.Quality = 0;
    depthBufferDesc.Usage = D3D11_USAGE_DEFAULT;
    depthBufferDesc.BindFlags = D3D11_BIND_DEPTH_STENCIL;
    depthBufferDesc.CPUAccessFlags = 0;
    depthBufferDesc.MiscFlags = 0;
    return SUCCEEDED(device->CreateTexture2D(&depthBufferDesc, nullptr, &depthStencilBuffer));
}

bool GraphicsDevice::CreateDepthOnState()
{
    D3D11_DEPTH_STENCIL_DESC depthStencilDesc = DepthStencilDescription(TRUE);
    if (FAILED(device->CreateDepthStencilState(&depthStencilDesc, &depthStencilState)))
        return false;
    deviceContext->OMSetDepthStencilState(depthStencilState, 1);
    return true;
}

bool GraphicsDevice::CreateDepthStencilView()
{
    D3D11_DEPTH_STENCIL_VIEW_DESC depthStencilViewDesc = {};
    depthStencilViewDesc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
    depthStencilViewDesc.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
    depthStencilViewDesc.Flags = 0;
    depthStencilViewDesc.Texture2D.MipSlice = 0;
    return SUCCEEDED(device->CreateDepthStencilView(depthStencilBuffer, &depthStencilViewDesc, &depthStencilView));
}

bool GraphicsDevice::CreateRasterizerState()
{
    D3D11_RASTERIZER_DESC rasterDesc;
    rasterDesc.FillMode = D3D11_FILL_SOLID;
    rasterDesc.CullMode = D3D11_CULL_BACK;
    rasterDesc.FrontCounterClockwise = FALSE;
    rasterDesc.DepthBias = 0;
    rasterDesc.DepthBiasClamp = 0.0f;
    rasterDesc.SlopeScaledDepthBias = 0.0f;
    rasterDesc.DepthClipEnable = TRUE;
    rasterDesc.ScissorEnable = FALSE;
    rasterDesc.MultisampleEnable = FALSE;
    rasterDesc.AntialiasedLineEnable = FALSE;
    if (FAILED(device->CreateRasterizerState(&rasterDesc, &rasterState)))
        return false;
    deviceContext->RSSetState(rasterState);
    return true;
}

void GraphicsDevice::SetViewport(int screenWidth, int screenHeight)
{
    D3D11_VIEWPORT viewport;
    viewport.TopLeftX = 0.0f;
    viewport.TopLeftY = 0.0f;
    viewport.Width = static_cast<float>(screenWidth);
    viewport.Height = static_cast<float>(screenHeight);
    viewport.MinDepth = 0.0f;
    viewport.MaxDepth = 1.0f;
    deviceContext->RSSetViewports(1, &viewport);
}

void GraphicsDevice::BuildMatrices(int screenWidth, int screenHeight, float farPlaneDistance,
                                   float nearPlaneDistance)
{
    float width = static_cast<float>(screenWidth);
    float height = static_cast<float>(screenHeight);
    float aspect = width / height;
    D3DXMatrixPerspectiveFovLH(&projectionMatrix, FieldOfView, aspect, nearPlaneDistance, farPlaneDistance);
    D3DXMatrixIdentity(&worldMatrix);
    D3DXMatrixOrthoLH(&orthoMatrix, width, height, nearPlaneDistance, farPlaneDistance);
}

bool GraphicsDevice::CreateDepthOffState()
{
    D3D11_DEPTH_STENCIL_DESC depthDisabledStencilDesc = DepthStencilDescription(FALSE);
    return SUCCEEDED(device->CreateDepthStencilState(&depthDisabledStencilDesc, &depthDisabledStencilState));
}

// Both blend states come from one description; only the enable flag differs.
bool GraphicsDevice::CreateBlendStates()
{
    D3D11_BLEND_DESC blendStateDescription = {};
    blendStateDescription.AlphaToCoverageEnable = FALSE;
    blendStateDescription.IndependentBlendEnable = FALSE;
    blendStateDescription.RenderTarget[0].BlendEnable = TRUE;
    blendStateDescription.RenderTarget[0].SrcBlend = D3D11_BLEND_ONE;
    blendStateDescription.RenderTarget[0].DestBlend = D3D11_BLEND_INV_SRC_ALPHA;
    blendStateDescription.RenderTarget[0].BlendOp = D3D11_BLEND_OP_ADD;
    blendStateDescription.RenderTarget[0].SrcBlendAlpha = D3D11_BLEND_ONE;
    blendStateDescription.RenderTarget[0].DestBlendAlpha = D3D11_BLEND_ZERO;
    blendStateDescription.RenderTarget[0].BlendOpAlpha = D3D11_BLEND_OP_ADD;
    blendStateDescription.RenderTarget[0].RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    if (FAILED(device->CreateBlendState(&blendStateDescription, &alphaEnableBlendingState)))
        return false;

    blendStateDescription.RenderTarget[0].BlendEnable = FALSE;
    return SUCCEEDED(device->CreateBlendState(&blendStateDescription, &alphaDisableBlendingState));
}

// A swap chain must be windowed before it is released.
void GraphicsDevice::Shutdown()
{
    if (swapChain)
        swapChain->SetFullscreenState(FALSE, nullptr);

    ReleaseInterface(alphaEnableBlendingState);
    ReleaseInterface(alphaDisableBlendingState);
    ReleaseInterface(rasterState);
    ReleaseInterface(depthStencilView);
    ReleaseInterface(depthDisabledStencilState);
    ReleaseInterface(depthStencilState);
    ReleaseInterface(depthStencilBuffer);
    ReleaseInterface(renderTargetView);
    ReleaseInterface(deviceContext);
    ReleaseInterface(device);
    ReleaseInterface(swapChain);
}

// Only the depth is cleared: the stencil keeps its values.
void GraphicsDevice::BeginFrame(float red, float green, float blue, float alpha)
{
    float color[4] = {red, green, blue, alpha};
    deviceContext->ClearRenderTargetView(renderTargetView, color);
    deviceContext->ClearDepthStencilView(depthStencilView, D3D11_CLEAR_DEPTH, 1.0f, 0);
}

// A failed present is not looked at: there is no device-lost handling.
void GraphicsDevice::EndFrame()
{
    if (vsyncEnabled)
        swapChain->Present(1, 0);
    else
        swapChain->Present(0, 0);
}

ID3D11Device* GraphicsDevice::GetDevice()
{
    return device;
}

ID3D11DeviceContext* GraphicsDevice::GetContext()
{
    return deviceContext;
}

ID3D11DepthStencilView* GraphicsDevice::GetDepthStencilView()
{
    return depthStencilView;
}

void GraphicsDevice::GetProjectionMatrix(D3DXMATRIX& matrix)
{
    matrix = projectionMatrix;
}

void GraphicsDevice::GetWorldMatrix(D3DXMATRIX& matrix)
{
    matrix = worldMatrix;
}

void GraphicsDevice::GetOrthoMatrix(D3DXMATRIX& matrix)
{
    matrix = orthoMatrix;
}

void GraphicsDevice::BindBackBuffer()
{
    deviceContext->OMSetRenderTargets(1, &renderTargetView, depthStencilView);
}

void GraphicsDevice::EnableDepthTest()
{
    deviceContext->OMSetDepthStencilState(depthStencilState, 1);
}

void GraphicsDevice::DisableDepthTest()
{
    deviceContext->OMSetDepthStencilState(depthDisabledStencilState, 1);
}

void GraphicsDevice::EnableAlphaBlending()
{
    float blendFactor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    deviceContext->OMSetBlendState(alphaEnableBlendingState, blendFactor, 0xFFFFFFFF);
}

void GraphicsDevice::DisableAlphaBlending()
{
    float blendFactor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    deviceContext->OMSetBlendState(alphaDisableBlendingState, blendFactor, 0xFFFFFFFF);
}
