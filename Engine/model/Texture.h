#pragma once

#include <d3d11.h>

// One image file loaded into a shader resource view.
class Texture
{
public:
    Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture();

    bool Initialize(ID3D11Device* device, const WCHAR* fileName);
    void Shutdown();
    // Borrowed: no reference is added.
    ID3D11ShaderResourceView* GetTexture();

private:
    ID3D11ShaderResourceView* texture;
};
