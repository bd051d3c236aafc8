#pragma once

#include <d3d11.h>
#include <d3dx10math.h>

// What the light and texture shaders do the same way: compiling their source
// files (with the user told what went wrong), the shaders and input layout, the
// linear wrapping sampler and the dynamic constant buffers, the matrix upload
// and the draw.
class ShaderParts
{
public:
    struct Sources
    {
        const WCHAR* vertexShaderFile;
        const char* vertexFunction;
        const WCHAR* pixelShaderFile;
        const char* pixelFunction;
    };

    // Compiles both files (vs_5_0, ps_5_0), then creates the two shaders and the
    // input layout from the bytecode, which is released on every path.
    static bool CreateStages(ID3D11Device* device, HWND window, const Sources& sources,
                             const D3D11_INPUT_ELEMENT_DESC* polygonLayout, UINT numElements,
                             ID3D11VertexShader** vertexShader, ID3D11PixelShader** pixelShader,
                             ID3D11InputLayout** inputLayout);

    static bool CreateSampler(ID3D11Device* device, ID3D11SamplerState** samplerState);
    // Written by the CPU through Map with WRITE_DISCARD on every draw.
    static bool CreateConstantBuffer(ID3D11Device* device, UINT byteWidth, ID3D11Buffer** buffer);

    // Writes the matrices, transposed, to the matrix buffer and binds it to
    // vertex-shader slot 0; false when the buffer cannot be mapped.
    static bool UploadMatrices(ID3D11DeviceContext* context, ID3D11Buffer* matrixBuffer, D3DXMATRIX world,
                               D3DXMATRIX view, D3DXMATRIX projection);
    // Draws the mesh bound on the context with the given stages.
    static void DrawMesh(ID3D11DeviceContext* context, ID3D11InputLayout* inputLayout,
                         ID3D11VertexShader* vertexShader, ID3D11PixelShader* pixelShader,
                         ID3D11SamplerState* samplerState, int indexCount);

private:
    // On failure the user has been told: the compiler's text in "shader-error.txt"
    // and a box, or a "Missing Shader File" box when there was no text.
    static bool CompileFile(HWND window, const WCHAR* shaderFile, const char* functionName, const char* profile,
                            ID3D10Blob** shaderBuffer);
};
