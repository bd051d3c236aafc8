#include "LightShader.h"

#include "LightConstants.h"
#include "MatrixConstants.h"
#include "ReleaseInterface.h"
#include "ShaderParts.h"

LightShader::LightShader()
    : vertexShader(nullptr), pixelShader(nullptr), inputLayout(nullptr), samplerState(nullptr),
      matrixBuffer(nullptr), lightBuffer(nullptr)
{
}

LightShader::~LightShader()
{
}

bool LightShader::Initialize(ID3D11Device* device, HWND window)
{
    return CreatePipeline(device, window, L"../Engine/light.vs", L"../Engine/light.ps");
}

void LightShader::Shutdown()
{
    ReleasePipeline();
}

bool LightShader::Render(ID3D11DeviceContext* context, int indexCount, D3DXMATRIX world, D3DXMATRIX view,
                         D3DXMATRIX projection, ID3D11ShaderResourceView* texture, D3DXVECTOR3 lightDirection,
                         D3DXVECTOR4 diffuseColor)
{
    if (!UploadParameters(context, world, view, projection, texture, lightDirection, diffuseColor))
        return false;
    DrawMesh(context, indexCount);
    return true;
}

namespace
{
// Reads LitVertex: position, texture coordinates, normal.
const D3D11_INPUT_ELEMENT_DESC polygonLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
};
}  // namespace

bool LightShader::CreatePipeline(ID3D11Device* device, HWND window, const WCHAR* vertexShaderFile,
                                 const WCHAR* pixelShaderFile)
{
    const ShaderParts::Sources sources = {vertexShaderFile, "LightVertexShader", pixelShaderFile,
                                          "LightPixelShader"};
    const UINT numElements = sizeof(polygonLayout) / sizeof(polygonLayout[0]);
    return ShaderParts::CreateStages(device, window, sources, polygonLayout, numElements, &vertexShader,
                                     &pixelShader, &inputLayout) &&
           CreateSamplerAndBuffers(device);
}

bool LightShader::CreateSamplerAndBuffers(ID3D11Device* device)
{
    return ShaderParts::CreateSampler(device, &samplerState) &&
           ShaderParts::CreateConstantBuffer(device, sizeof(MatrixConstants), &matrixBuffer) &&
           ShaderParts::CreateConstantBuffer(device, sizeof(LightConstants), &lightBuffer);
}

bool LightShader::UploadParameters(ID3D11DeviceContext* context, D3DXMATRIX world, D3DXMATRIX view,
                                   D3DXMATRIX projection, ID3D11ShaderResourceView* texture,
                                   D3DXVECTOR3 lightDirection, D3DXVECTOR4 diffuseColor)
{
    context->PSSetShaderResources(0, 1, &texture);

    if (!ShaderParts::UploadMatrices(context, matrixBuffer, world, view, projection))
        return false;

    D3D11_MAPPED_SUBRESOURCE mappedResource;
    if (FAILED(context->Map(lightBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mappedResource)))
        return false;
    LightConstants* light = static_cast<LightConstants*>(mappedResource.pData);
    light->diffuseColor = diffuseColor;
    light->lightDirection = lightDirection;
    context->Unmap(lightBuffer, 0);
    context->PSSetConstantBuffers(0, 1, &lightBuffer);
    return true;
}

void LightShader::DrawMesh(ID3D11DeviceContext* context, int indexCount)
{
    ShaderParts::DrawMesh(context, inputLayout, vertexShader, pixelShader, samplerState, indexCount);
}

void LightShader::ReleasePipeline()
{
    ReleaseInterface(lightBuffer);
    ReleaseInterface(matrixBuffer);
    ReleaseInterface(samplerState);
    ReleaseInterface(inputLayout);
    ReleaseInterface(pixelShader);
    ReleaseInterface(vertexShader);
}
