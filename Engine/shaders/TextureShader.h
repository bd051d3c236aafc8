#pragma once

#include <d3d11.h>
#include <d3dx10math.h>

// Draws the bound mesh with its texture and no lighting (the debug window's
// quad). Compiled at start-up from "../Engine/texture.vs" and "../Engine/texture.ps".
class TextureShader
{
public:
    TextureShader();
    TextureShader(const TextureShader&) = delete;
    TextureShader& operator=(const TextureShader&) = delete;
    ~TextureShader();

    bool Initialize(ID3D11Device* device, HWND window);
    void Shutdown();
    // Draws what the caller bound on the context. Matrices arrive untransposed.
    bool Render(ID3D11DeviceContext* context, int indexCount, D3DXMATRIX world, D3DXMATRIX view,
                D3DXMATRIX projection, ID3D11ShaderResourceView* texture);

private:
    bool CreatePipeline(ID3D11Device* device, HWND window, const WCHAR* vertexShaderFile,
                        const WCHAR* pixelShaderFile);
    bool CreateBufferAndSampler(ID3D11Device* device);
    bool UploadParameters(ID3D11DeviceContext* context, D3DXMATRIX world, D3DXMATRIX view, D3DXMATRIX projection,
                          ID3D11ShaderResourceView* texture);
    void DrawMesh(ID3D11DeviceContext* context, int indexCount);
    void ReleasePipeline();

    ID3D11VertexShader* vertexShader;
    ID3D11PixelShader* pixelShader;
    ID3D11InputLayout* inputLayout;
    ID3D11Buffer* matrixBuffer;
    ID3D11SamplerState* samplerState;
};
