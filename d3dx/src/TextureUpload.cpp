#include "TextureUpload.h"

#include "MipChain.h"

HRESULT TextureUpload::Create(ID3D11Device* device, const MipChain& chain, const TextureUsage& usage,
                              ID3D11ShaderResourceView** view)
{
    *view = nullptr;
    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = chain.Level(0).width;
    textureDesc.Height = chain.Level(0).height;
    textureDesc.MipLevels = chain.LevelCount();
    textureDesc.ArraySize = 1;
    textureDesc.Format = static_cast<DXGI_FORMAT>(chain.Format());
    textureDesc.SampleDesc.Count = 1;
    textureDesc.Usage = usage.usage;
    textureDesc.BindFlags = usage.bindFlags;

    D3D11_SUBRESOURCE_DATA initialData[MipChain::MaxLevels] = {};
    for (UINT i = 0; i < chain.LevelCount(); ++i)
    {
        initialData[i].pSysMem = chain.Data(i);
        initialData[i].SysMemPitch = chain.Level(i).rowPitch;
    }

    ID3D11Texture2D* texture = nullptr;
    HRESULT result = device->CreateTexture2D(&textureDesc, initialData, &texture);
    if (FAILED(result))
        return result;
    result = device->CreateShaderResourceView(texture, nullptr, view);
    texture->Release();  // the view keeps the texture alive
    if (FAILED(result))
        *view = nullptr;
    return result;
}
