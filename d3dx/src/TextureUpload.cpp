#include "TextureUpload.h"

#include "MipChain.h"

#include <memory>
#include <new>

HRESULT TextureUpload::Create(ID3D11Device* device, const MipChain& chain, const TextureUsage& usage,
                              ID3D11ShaderResourceView** view)
{
    *view = nullptr;
    // Subresources go level by level within each image, image after image;
    // only volumes have slices. Those of one cube map or less need no memory
    // of their own.
    const bool volume = chain.Kind() == TextureKind::Volume;
    const size_t subresources = static_cast<size_t>(chain.ArraySize()) * chain.LevelCount();
    D3D11_SUBRESOURCE_DATA few[6 * MipChain::MaxLevels] = {};
    std::unique_ptr<D3D11_SUBRESOURCE_DATA[]> many;
    D3D11_SUBRESOURCE_DATA* initialData = few;
    if (subresources > sizeof(few) / sizeof(few[0]))
    {
        many.reset(new (std::nothrow) D3D11_SUBRESOURCE_DATA[subresources]);
        if (!many)
            return E_OUTOFMEMORY;
        initialData = many.get();
    }
    for (UINT image = 0; image < chain.ArraySize(); ++image)
        for (UINT level = 0; level < chain.LevelCount(); ++level)
        {
            D3D11_SUBRESOURCE_DATA& data = initialData[image * chain.LevelCount() + level];
            data.pSysMem = chain.Data(image, level);
            data.SysMemPitch = chain.Level(level).rowPitch;
            data.SysMemSlicePitch = volume ? chain.Level(level).rowPitch * chain.Level(level).rowCount : 0;
        }

    ID3D11Resource* texture = nullptr;
    HRESULT result = CreateTexture(device, chain, usage, initialData, &texture);
    if (FAILED(result))
        return result;
    result = device->CreateShaderResourceView(texture, nullptr, view);
    texture->Release();  // the view keeps the texture alive
    if (FAILED(result))
        *view = nullptr;
    return result;
}

HRESULT TextureUpload::CreateTexture(ID3D11Device* device, const MipChain& chain, const TextureUsage& usage,
                                     const D3D11_SUBRESOURCE_DATA* initialData, ID3D11Resource** texture)
{
    const MipLevel& top = chain.Level(0);
    if (chain.Kind() == TextureKind::Volume)
    {
        D3D11_TEXTURE3D_DESC textureDesc = {};
        textureDesc.Width = top.width;
        textureDesc.Height = top.height;
        textureDesc.Depth = top.depth;
        textureDesc.MipLevels = chain.LevelCount();
        textureDesc.Format = static_cast<DXGI_FORMAT>(chain.Format());
        textureDesc.Usage = usage.usage;
        textureDesc.BindFlags = usage.bindFlags;
        ID3D11Texture3D* volume = nullptr;
        const HRESULT result = device->CreateTexture3D(&textureDesc, initialData, &volume);
        *texture = volume;
        return result;
    }
    D3D11_TEXTURE2D_DESC textureDesc = {};
    textureDesc.Width = top.width;
    textureDesc.Height = top.height;
    textureDesc.MipLevels = chain.LevelCount();
    textureDesc.ArraySize = chain.ArraySize();
    textureDesc.Format = static_cast<DXGI_FORMAT>(chain.Format());
    textureDesc.SampleDesc.Count = 1;
    textureDesc.Usage = usage.usage;
    textureDesc.BindFlags = usage.bindFlags;
    textureDesc.MiscFlags = chain.Kind() == TextureKind::Cube ? D3D11_RESOURCE_MISC_TEXTURECUBE : 0;
    ID3D11Texture2D* planes = nullptr;
    const HRESULT result = device->CreateTexture2D(&textureDesc, initialData, &planes);
    *texture = planes;
    return result;
}
