#pragma once

#include "ComPtr.h"
#include "TextureReadback.h"

#include <d3d11.h>

// A float colour target with its viewport, for draws whose exact output is checked.
class DrawTarget
{
public:
    DrawTarget(ID3D11Device* device, UINT width, UINT height);

    bool Ok() const { return static_cast<bool>(view); }
    // Binds the target alone (no depth buffer) with a viewport covering it, then clears it.
    void BindAndClear(ID3D11DeviceContext* context, float red, float green, float blue, float alpha);
    bool Read(ID3D11Device* device, ID3D11DeviceContext* context);

    struct Texel
    {
        float r, g, b, a;
    };
    Texel At(UINT x, UINT y) const { return readback.At<Texel>(x, y); }

private:
    UINT width;
    UINT height;
    ComPtr<ID3D11Texture2D> texture;
    ComPtr<ID3D11RenderTargetView> view;
    TextureReadback readback;
};
