#pragma once

#include <d3d11.h>

// An off-screen float colour target that can be sampled afterwards. It has no
// depth buffer of its own: callers pass the graphics device's depth-stencil view.
class RenderTexture
{
public:
    RenderTexture();
    RenderTexture(const RenderTexture&) = delete;
    RenderTexture& operator=(const RenderTexture&) = delete;
    ~RenderTexture();

    bool Initialize(ID3D11Device* device, int width, int height);
    void Shutdown();

    void SetRenderTarget(ID3D11DeviceContext* context, ID3D11DepthStencilView* depthStencilView);
    // Clears this texture whatever is bound, and the depth (not the stencil) of the given view.
    void ClearRenderTarget(ID3D11DeviceContext* context, ID3D11DepthStencilView* depthStencilView, float red,
                           float green, float blue, float alpha);
    // Borrowed: no reference is added.
    ID3D11ShaderResourceView* GetShaderResourceView();

private:
    ID3D11Texture2D* renderTargetTexture;
    ID3D11RenderTargetView* renderTargetView;
    ID3D11ShaderResourceView* shaderResourceView;
};
