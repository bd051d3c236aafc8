// Turns a CPU mip chain into a texture (2D, 2D array, cube map or volume)
// and its shader resource view.
#ifndef VEXELO_TEXTUREUPLOAD_H
#define VEXELO_TEXTUREUPLOAD_H

#include <d3d11.h>

class MipChain;

struct TextureUsage
{
    D3D11_USAGE usage = D3D11_USAGE_DEFAULT;
    UINT bindFlags = D3D11_BIND_SHADER_RESOURCE;
};

class TextureUpload
{
public:
    // Creates the texture with every level of every image of the chain as
    // its initial data and a view of all of it (a null view description, so
    // the view's dimension follows the texture's). On failure nothing is
    // left alive and *view stays null.
    static HRESULT Create(ID3D11Device* device, const MipChain& chain, const TextureUsage& usage,
                          ID3D11ShaderResourceView** view);

private:
    static HRESULT CreateTexture(ID3D11Device* device, const MipChain& chain, const TextureUsage& usage,
                                 const D3D11_SUBRESOURCE_DATA* initialData, ID3D11Resource** texture);
};

#endif
