#pragma once

#include "ComPtr.h"

#include <d3d11.h>

#include <cstdint>

// A small RGBA8 texture made from given texels (0xAABBGGRR), ready to sample.
class PixelTexture
{
public:
    PixelTexture(ID3D11Device* device, UINT width, UINT height, const uint32_t* texels);

    ID3D11ShaderResourceView* View() const { return view.Get(); }

private:
    ComPtr<ID3D11Texture2D> texture;
    ComPtr<ID3D11ShaderResourceView> view;
};
