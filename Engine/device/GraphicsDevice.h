#pragma once

#include <d3d11.h>
#include <d3dx10math.h>
#include <dxgi.h>

// The Direct3D 11 device, its immediate context and swap chain, the back-buffer
// and depth-stencil targets, the fixed pipeline states and the three matrices.
// The device, context and depth-stencil view are lent out without a reference
// and stay valid until Shutdown.
class GraphicsDevice
{
public:
    GraphicsDevice();
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;
    ~GraphicsDevice();

    bool Initialize(int screenWidth, int screenHeight, bool vsync, HWND window, bool fullScreen,
                    float farPlaneDistance, float nearPlaneDistance);
    void Shutdown();

    void BeginFrame(float red, float green, float blue, float alpha);
    void EndFrame();

    ID3D11Device* GetDevice();
    ID3D11DeviceContext* GetContext();
    ID3D11DepthStencilView* GetDepthStencilView();

    void GetProjectionMatrix(D3DXMATRIX& matrix);
    void GetWorldMatrix(D3DXMATRIX& matrix);
    void GetOrthoMatrix(D3DXMATRIX& matrix);

    void BindBackBuffer();
    void EnableDepthTest();
    void DisableDepthTest();
    void EnableAlphaBlending();
    void DisableAlphaBlending();

private:
    bool QueryRefreshRate(int screenWidth, int screenHeight, DXGI_RATIONAL& refreshRate);
    bool CreateDeviceAndSwapChain(int screenWidth, int screenHeight, DXGI_RATIONAL refreshRate, HWND window,
                                  bool fullScreen);
    bool CreateBackBufferTarget();
    bool CreateDepthBuffer(int screenWidth, int screenHeight);
    bool CreateDepthOnState();
    bool CreateDepthStencilView();
    bool CreateRasterizerState();
    void SetViewport(int screenWidth, int screenHeight);
    void BuildMatrices(int screenWidth, int screenHeight, float farPlaneDistance, float nearPlaneDistance);
    bool CreateDepthOffState();
    bool CreateBlendStates();

    bool vsyncEnabled;
    IDXGISwapChain* swapChain;
    ID3D11Device* device;
    ID3D11DeviceContext* deviceContext;
    ID3D11RenderTargetView* renderTargetView;
    ID3D11Texture2D* depthStencilBuffer;
    ID3D11DepthStencilState* depthStencilState;
    ID3D11DepthStencilView* depthStencilView;
    ID3D11RasterizerState* rasterState;
    D3DXMATRIX projectionMatrix;
    D3DXMATRIX worldMatrix;
    D3DXMATRIX orthoMatrix;
    ID3D11DepthStencilState* depthDisabledStencilState;
    ID3D11BlendState* alphaEnableBlendingState;
    ID3D11BlendState* alphaDisableBlendingState;
};
