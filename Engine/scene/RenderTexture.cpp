#include "RenderTexture.h"

#include "ReleaseInterface.h"

RenderTexture::RenderTexture() : renderTargetTexture(nullptr), renderTargetView(nullptr), shaderResourceView(nullptr)
{
}

RenderTexture::~RenderTexture()
{
}

bool RenderTexture::Initialize(ID3D11Device* device, int width, int height)
{
    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = static_cast<UINT>(width);
    textureDesc.Height = static_cast<UINT>(height);
    textureDesc.MipLevels = 1;
    textureDesc.ArraySize = 1;
    textureDesc.Format = DXGI_FORMAT_R32G32B32A32_FLOAT;
    textureDesc.SampleDesc.Count = 1;
    textureDesc.SampleDesc.Quality = 0;
    textureDesc.Usage = D3D11_USAGE_DEFAULT;
    textureDesc.BindFlags = D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE;
    textureDesc.CPUAccessFlags = 0;
    textureDesc.MiscFlags = 0;
    if (FAILED(device->CreateTexture2D(&textureDesc, NULL, &renderTargetTexture)))
        return false;

    D3D11_RENDER_TARGET_VIEW_DESC renderTargetViewDesc = {};
    renderTargetViewDesc.Format = textureDesc.Format;
    renderTargetViewDesc.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
    renderTargetViewDesc.Texture2D.MipSlice = 0;
    if (FAILED(device->CreateRenderTargetView(renderTargetTexture, &renderTargetViewDesc, &renderTargetView)))
        return false;

    D3D11_SHADER_RESOURCE_VIEW_DESC shaderResourceViewDesc = {};
    shaderResourceViewDesc.Format = textureDesc.Format;
    shaderResourceViewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    shaderResourceViewDesc.Texture2D.MostDetailedMip = 0;
    shaderResourceViewDesc.Texture2D.MipLevels = 1;
    return SUCCEEDED(device->CreateShaderResourceView(renderTargetTexture, &shaderResourceViewDesc,
                                                      &shaderResourceView));
}

void RenderTexture::Shutdown()
{
    ReleaseInterface(shaderResourceView);
    ReleaseInterface(renderTargetView);
    ReleaseInterface(renderTargetTexture);
}

void RenderTexture::SetRenderTarget(ID3D11DeviceContext* context, ID3D11DepthStencilView* depthStencilView)
{
    context->OMSetRenderTargets(1, &renderTargetView, depthStencilView);
}

void RenderTexture::ClearRenderTarget(ID3D11DeviceContext* context, ID3D11DepthStencilView* depthStencilView,
                                      float red, float green, float blue, float alpha)
{
    const float color[4] = {red, green, blue, alpha};
    context->ClearRenderTargetView(renderTargetView, color);
    context->ClearDepthStencilView(depthStencilView, D3D11_CLEAR_DEPTH, 1.0f, 0);
}

ID3D11ShaderResourceView* RenderTexture::GetShaderResourceView()
{
    return shaderResourceView;
}
