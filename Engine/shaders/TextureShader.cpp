#include "TextureShader.h"

#include "MatrixConstants.h"
#include "ReleaseInterface.h"
#include "ShaderParts.h"

TextureShader::TextureShader()
    : vertexShader(nullptr), pixelShader(nullptr), inputLayout(nullptr), matrixBuffer(nullptr),
      samplerState(nullptr)
{
}

TextureShader::~TextureShader()
{
}

bool TextureShader::Initialize(ID3D11Device* device, HWND window)
{
    return CreatePipeline(device, window, L"../Engine/texture.vs", L"../Engine/texture.ps");
}

void TextureShader::Shutdown()
{
    ReleasePipeline();
}

bool TextureShader::Render(ID3D11DeviceContext* context, int indexCount, D3DXMATRIX world, D3DXMATRIX view,
                           D3DXMATRIX projection, ID3D11ShaderResourceView* texture)
{
    if (!UploadParameters(context, world, view, projection, texture))
        return false;
    DrawMesh(context, indexCount);
    return true;
}

namespace
{
// Reads the first 20 bytes of a vertex: QuadVertex's position and texture coordinates.
const D3D11_INPUT_ELEMENT_DESC polygonLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
};
}  // namespace

bool TextureShader::CreatePipeline(ID3D11Device* device, HWND window, const WCHAR* vertexShaderFile,
                                   const WCHAR* pixelShaderFile)
{
    const ShaderParts::Sources sources = {vertexShaderFile, "TextureVertexShader", pixelShaderFile,
                                          "TexturePixelShader"};
    const UINT numElements = sizeof(polygonLayout) / sizeof(polygonLayout[0]);
    return ShaderParts::CreateStages(device, window, sources, polygonLayout, numElements, &vertexShader,
                                     &pixelShader, &inputLayout) &&
           CreateBufferAndSampler(device);
}

bool TextureShader::CreateBufferAndSampler(ID3D11Device* device)
{
    return ShaderParts::CreateConstantBuffer(device, sizeof(MatrixConstants), &matrixBuffer) &&
           ShaderParts::CreateSampler(device, &samplerState);
}

bool TextureShader::UploadParameters(ID3D11DeviceContext* context, D3DXMATRIX world, D3DXMATRIX view,
                                     D3DXMATRIX projection, ID3D11ShaderResourceView* texture)
{
    if (!ShaderParts::UploadMatrices(context, matrixBuffer, world, view, projection))
        return false;

    context->PSSetShaderResources(0, 1, &texture);
    return true;
}

void TextureShader::DrawMesh(ID3D11DeviceContext* context, int indexCount)
{
    ShaderParts::DrawMesh(context, inputLayout, vertexShader, pixelShader, samplerState, indexCount);
}

void TextureShader::ReleasePipeline()
{
    ReleaseInterface(samplerState);
    ReleaseInterface(matrixBuffer);
    ReleaseInterface(inputLayout);
    ReleaseInterface(pixelShader);
    ReleaseInterface(vertexShader);
}
