#include "Texture.h"

#include "ReleaseInterface.h"

#include <d3dx11.h>

Texture::Texture() : texture(nullptr)
{
}

Texture::~Texture()
{
}

bool Texture::Initialize(ID3D11Device* device, const WCHAR* fileName)
{
    const HRESULT result = D3DX11CreateShaderResourceViewFromFileW(device, fileName, NULL, NULL, &texture, NULL);
    return SUCCEEDED(result);
}

void Texture::Shutdown()
{
    ReleaseInterface(texture);
}

ID3D11ShaderResourceView* Texture::GetTexture()
{
    return texture;
}
