#include "PixelTexture.h"

PixelTexture::PixelTexture(ID3D11Device* device, UINT width, UINT height, const uint32_t* texels)
{
    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = width;
    textureDesc.Height = height;
    textureDesc.MipLevels = 1;
    textureDesc.ArraySize = 1;
    textureDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    textureDesc.SampleDesc.Count = 1;
    textureDesc.Usage = D3D11_USAGE_IMMUTABLE;
    textureDesc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    D3D11_SUBRESOURCE_DATA data = {texels, width * 4, 0};
    if (FAILED(device->CreateTexture2D(&textureDesc, &data, texture.Put())))
        return;
    device->CreateShaderResourceView(texture.Get(), nullptr, view.Put());
}
