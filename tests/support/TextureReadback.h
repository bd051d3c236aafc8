#pragma once

#include <d3d11.h>

#include <cstdint>
#include <cstring>
#include <vector>

// Copies a GPU texture (or one of its mip levels, of one image of an array or
// cube map) into CPU memory through a staging texture, so tests can check
// what the device really drew. Takes 2D textures and volumes.
class TextureReadback
{
public:
    // False when the staging copy or the Map fails.
    bool Read(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Resource* texture,
              UINT mipLevel = 0, UINT arraySlice = 0);

    UINT Width() const { return width; }
    UINT Height() const { return height; }
    UINT Depth() const { return depth; }
    DXGI_FORMAT Format() const { return format; }
    UINT RowBytes() const { return rowBytes; }

    // Rows of texels, or of blocks, of all slices of a volume one after the other.
    UINT RowCount() const { return static_cast<UINT>(bytes.size() / (rowBytes ? rowBytes : 1)); }
    const uint8_t* Row(UINT y) const { return bytes.data() + static_cast<size_t>(y) * rowBytes; }

    template <typename T>
    T At(UINT x, UINT y) const
    {
        T value;
        std::memcpy(&value, Row(y) + static_cast<size_t>(x) * sizeof(T), sizeof(T));
        return value;
    }

    // RGBA8 texel as 0xAABBGGRR.
    uint32_t Rgba8(UINT x, UINT y) const { return At<uint32_t>(x, y); }

private:
    bool ReadVolume(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture3D* source, UINT mipLevel);
    void Keep(const D3D11_MAPPED_SUBRESOURCE& mapped);

    UINT width = 0;
    UINT height = 0;
    UINT depth = 1;
    UINT rowBytes = 0;
    DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
    std::vector<uint8_t> bytes;
};
