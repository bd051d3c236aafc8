#include "DrawTarget.h"

DrawTarget::DrawTarget(ID3D11Device* device, UINT targetWidth, UINT targetHeight)
    : width(targetWidth), height(targetHeight)
{
    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = width;
    textureDesc.Height = height;
    textureDesc.MipLevels = 1;
    textureDesc.ArraySize = 1;
    textureDesc.Format = DXGI_FORMAT_R32G32B32A32_FLOAT;
    textureDesc.SampleDesc.Count = 1;
    textureDesc.BindFlags = D3D11_BIND_RENDER_TARGET;
    if (FAILED(device->CreateTexture2D(&textureDesc, nullptr, texture.Put())))
        return;
    device->CreateRenderTargetView(texture.Get(), nullptr, view.Put());
}

void DrawTarget::BindAndClear(ID3D11DeviceContext* context, float red, float green, float blue, float alpha)
{
    ID3D11RenderTargetView* views[1] = {view.Get()};
    context->OMSetRenderTargets(1, views, nullptr);
    D3D11_VIEWPORT viewport = {0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f, 1.0f};
    context->RSSetViewports(1, &viewport);
    const float colour[4] = {red, green, blue, alpha};
    context->ClearRenderTargetView(view.Get(), colour);
}

bool DrawTarget::Read(ID3D11Device* device, ID3D11DeviceContext* context)
{
    return readback.Read(device, context, texture.Get());
}
