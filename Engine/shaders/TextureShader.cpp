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
    D3D11_MAPPED_SUBRESOURCE mappedResource;
    if (FAILED(context->Map(matrixBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mappedResource)))
        return false;
    D3DXMatrixTranspose(&world, &world);
    D3DXMatrixTranspose(&view, &view);
    D3DXMatrixTranspose(&projection, &projection);
    MatrixConstants* matrices = static_cast<MatrixConstants*>(mappedResource.pData);
    matrices->world = world;
    matrices->view = view;
    matrices->projection = projection;
    context->Unmap(matrixBuffer, 0);
    context->VSSetConstantBuffers(0, 1, &matrixBuffer);

    context->PSSetShaderResources(0, 1, &texture);
    return true;
}

void TextureShader::DrawMesh(ID3D11DeviceContext* context, int indexCount)
{
    context->IASetInputLayout(inputLayout);
    context->VSSetShader(vertexShader, NULL, 0);
    context->PSSetShader(pixelShader, NULL, 0);
    context->PSSetSamplers(0, 1, &samplerState);
    // A negative count would reach the device as some four billion indices.
    if (indexCount > 0)
        context->DrawIndexed(static_cast<UINT>(indexCount), 0, 0);
}

void TextureShader::ReleasePipeline()
{
    ReleaseInterface(samplerState);
    ReleaseInterface(matrixBuffer);
    ReleaseInterface(inputLayout);
    ReleaseInterface(pixelShader);
    ReleaseInterface(vertexShader);
}
