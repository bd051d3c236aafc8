#pragma once

#include <d3d11.h>
#include <d3dx10math.h>

// Draws the bound mesh textured and lit by one directional light. Compiled at
// start-up from "../Engine/light.vs" and "../Engine/light.ps".
class LightShader
{
public:
    LightShader();
    LightShader(const LightShader&) = delete;
    LightShader& operator=(const LightShader&) = delete;
    ~LightShader();

    bool Initialize(ID3D11Device* device, HWND window);
    void Shutdown();
    // Draws what Model::Bind left on the context. Matrices arrive untransposed.
    bool Render(ID3D11DeviceContext* context, int indexCount, D3DXMATRIX world, D3DXMATRIX view,
                D3DXMATRIX projection, ID3D11ShaderResourceView* texture, D3DXVECTOR3 lightDirection,
                D3DXVECTOR4 diffuseColor);

private:
    bool CreatePipeline(ID3D11Device* device, HWND window, const WCHAR* vertexShaderFile,
                        const WCHAR* pixelShaderFile);
    bool CreateSamplerAndBuffers(ID3D11Device* device);
    bool UploadParameters(ID3D11DeviceContext* context, D3DXMATRIX world, D3DXMATRIX view, D3DXMATRIX projection,
                          ID3D11ShaderResourceView* texture, D3DXVECTOR3 lightDirection, D3DXVECTOR4 diffuseColor);
    void DrawMesh(ID3D11DeviceContext* context, int indexCount);
    void ReleasePipeline();

    ID3D11VertexShader* vertexShader;
    ID3D11PixelShader* pixelShader;
    ID3D11InputLayout* inputLayout;
    ID3D11SamplerState* samplerState;
    ID3D11Buffer* matrixBuffer;
    ID3D11Buffer* lightBuffer;
};
