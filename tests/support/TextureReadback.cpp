#include "TextureReadback.h"

#include "ComPtr.h"

namespace
{
// Bytes per row of block-compressed data, or 0 for other formats.
UINT BlockRowBytes(DXGI_FORMAT format, UINT width)
{
    const UINT blocks = (width + 3) / 4 > 0 ? (width + 3) / 4 : 1;
    switch (format)
    {
    case DXGI_FORMAT_BC1_UNORM: case DXGI_FORMAT_BC1_UNORM_SRGB:
    case DXGI_FORMAT_BC4_UNORM: case DXGI_FORMAT_BC4_SNORM:
        return blocks * 8;
    case DXGI_FORMAT_BC2_UNORM: case DXGI_FORMAT_BC2_UNORM_SRGB:
    case DXGI_FORMAT_BC3_UNORM: case DXGI_FORMAT_BC3_UNORM_SRGB:
    case DXGI_FORMAT_BC5_UNORM: case DXGI_FORMAT_BC5_SNORM:
    case DXGI_FORMAT_BC7_UNORM: case DXGI_FORMAT_BC7_UNORM_SRGB:
        return blocks * 16;
    default:
        return 0;
    }
}

UINT BitsPerPixel(DXGI_FORMAT format)
{
    switch (format)
    {
    case DXGI_FORMAT_R32G32B32A32_FLOAT: return 128;
    case DXGI_FORMAT_R16G16B16A16_FLOAT: case DXGI_FORMAT_R16G16B16A16_UNORM:
    case DXGI_FORMAT_R16G16B16A16_SNORM: case DXGI_FORMAT_R32G32_FLOAT: return 64;
    case DXGI_FORMAT_R8G8_UNORM: case DXGI_FORMAT_R16_UNORM: case DXGI_FORMAT_R16_FLOAT:
    case DXGI_FORMAT_B5G6R5_UNORM: case DXGI_FORMAT_B5G5R5A1_UNORM: case DXGI_FORMAT_B4G4R4A4_UNORM:
        return 16;
    case DXGI_FORMAT_R8_UNORM: case DXGI_FORMAT_A8_UNORM: return 8;
    default: return 32;
    }
}
}

bool TextureReadback::Read(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Resource* texture,
                           UINT mipLevel, UINT arraySlice)
{
    ComPtr<ID3D11Texture3D> volume;
    if (SUCCEEDED(texture->QueryInterface(__uuidof(ID3D11Texture3D), reinterpret_cast<void**>(volume.Put()))))
        return ReadVolume(device, context, volume.Get(), mipLevel);
    ComPtr<ID3D11Texture2D> source;
    if (FAILED(texture->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(source.Put()))))
        return false;

    D3D11_TEXTURE2D_DESC desc;
    source->GetDesc(&desc);
    const UINT levelWidth = desc.Width >> mipLevel ? desc.Width >> mipLevel : 1;
    const UINT levelHeight = desc.Height >> mipLevel ? desc.Height >> mipLevel : 1;

    // The staging texture repeats the whole chain so that the level copies
    // onto a level of the very same size (block levels smaller than a block
    // cannot be copied into a larger one).
    const bool multisampled = desc.SampleDesc.Count > 1;
    D3D11_TEXTURE2D_DESC stagingDesc = desc;
    stagingDesc.ArraySize = 1;
    stagingDesc.SampleDesc.Count = 1;
    stagingDesc.SampleDesc.Quality = 0;
    stagingDesc.Usage = D3D11_USAGE_STAGING;
    stagingDesc.BindFlags = 0;
    stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    stagingDesc.MiscFlags = 0;

    ComPtr<ID3D11Texture2D> staging;
    if (FAILED(device->CreateTexture2D(&stagingDesc, nullptr, staging.Put())))
        return false;

    if (multisampled)
    {
        D3D11_TEXTURE2D_DESC resolvedDesc = desc;
        resolvedDesc.SampleDesc.Count = 1;
        resolvedDesc.SampleDesc.Quality = 0;
        resolvedDesc.BindFlags = 0;
        ComPtr<ID3D11Texture2D> resolved;
        if (FAILED(device->CreateTexture2D(&resolvedDesc, nullptr, resolved.Put())))
            return false;
        context->ResolveSubresource(resolved.Get(), 0, source.Get(), 0, desc.Format);
        context->CopyResource(staging.Get(), resolved.Get());
    }
    else
    {
        context->CopySubresourceRegion(staging.Get(), mipLevel, 0, 0, 0, source.Get(),
                                       D3D11CalcSubresource(mipLevel, arraySlice, desc.MipLevels), nullptr);
    }

    D3D11_MAPPED_SUBRESOURCE mapped;
    const UINT subresource = multisampled ? 0 : mipLevel;
    if (FAILED(context->Map(staging.Get(), subresource, D3D11_MAP_READ, 0, &mapped)))
        return false;
    width = levelWidth;
    height = levelHeight;
    depth = 1;
    format = desc.Format;
    Keep(mapped);
    context->Unmap(staging.Get(), subresource);
    return true;
}

bool TextureReadback::ReadVolume(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture3D* source,
                                 UINT mipLevel)
{
    D3D11_TEXTURE3D_DESC desc;
    source->GetDesc(&desc);
    D3D11_TEXTURE3D_DESC stagingDesc = desc;
    stagingDesc.Usage = D3D11_USAGE_STAGING;
    stagingDesc.BindFlags = 0;
    stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    stagingDesc.MiscFlags = 0;
    ComPtr<ID3D11Texture3D> staging;
    if (FAILED(device->CreateTexture3D(&stagingDesc, nullptr, staging.Put())))
        return false;
    context->CopySubresourceRegion(staging.Get(), mipLevel, 0, 0, 0, source, mipLevel, nullptr);

    D3D11_MAPPED_SUBRESOURCE mapped;
    if (FAILED(context->Map(staging.Get(), mipLevel, D3D11_MAP_READ, 0, &mapped)))
        return false;
    width = desc.Width >> mipLevel ? desc.Width >> mipLevel : 1;
    height = desc.Height >> mipLevel ? desc.Height >> mipLevel : 1;
    depth = desc.Depth >> mipLevel ? desc.Depth >> mipLevel : 1;
    format = desc.Format;
    Keep(mapped);
    context->Unmap(staging.Get(), mipLevel);
    return true;
}

void TextureReadback::Keep(const D3D11_MAPPED_SUBRESOURCE& mapped)
{
    const UINT blockRow = BlockRowBytes(format, width);
    rowBytes = blockRow ? blockRow : (width * BitsPerPixel(format) + 7) / 8;
    const UINT rows = blockRow ? (height + 3) / 4 : height;
    bytes.resize(static_cast<size_t>(rowBytes) * rows * depth);
    const uint8_t* mappedBytes = static_cast<const uint8_t*>(mapped.pData);
    for (UINT z = 0; z < depth; ++z)
        for (UINT y = 0; y < rows; ++y)
            std::memcpy(bytes.data() + (static_cast<size_t>(z) * rows + y) * rowBytes,
                        mappedBytes + static_cast<size_t>(z) * mapped.DepthPitch + static_cast<size_t>(y) * mapped.RowPitch,
                        rowBytes);
}
