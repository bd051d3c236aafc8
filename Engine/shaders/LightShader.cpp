#include "LightShader.h"

#include "LightConstants.h"
#include "MatrixConstants.h"
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

bool LightShader::CreatePipeline(ID3D11Device* device, HWND window, const WCHAR* vertexShaderFile,
                                 const WCHAR* pixelShaderFile)
{
    ID3D10Blob* vertexShaderBuffer = nullptr;
    ID3D10Blob* pixelShaderBuffer = nullptr;
    const bool created =
        CompileShaders(window, vertexShaderFile, pixelShaderFile, &vertexShaderBuffer, &pixelShaderBuffer) &&
        CreateShaderObjects(device, vertexShaderBuffer, pixelShaderBuffer);

    // The bytecode is done with once the shaders and the layout exist, and on every failure.
    if (vertexShaderBuffer)
        vertexShaderBuffer->Release();
    if (pixelShaderBuffer)
        pixelShaderBuffer->Release();

    return created && CreateSamplerAndBuffers(device);
}

bool LightShader::CompileShaders(HWND window, const WCHAR* vertexShaderFile, const WCHAR* pixelShaderFile,
                                 ID3D10Blob** vertexShaderBuffer, ID3D10Blob** pixelShaderBuffer)
{
    return ShaderParts::CompileFile(window, vertexShaderFile, "LightVertexShader", "vs_5_0", vertexShaderBuffer) &&
           ShaderParts::CompileFile(window, pixelShaderFile, "LightPixelShader", "ps_5_0", pixelShaderBuffer);
}

bool LightShader::CreateShaderObjects(ID3D11Device* device, ID3D10Blob* vertexShaderBuffer,
                                      ID3D10Blob* pixelShaderBuffer)
{
    HRESULT result = device->CreateVertexShader(vertexShaderBuffer->GetBufferPointer(),
                                                vertexShaderBuffer->GetBufferSize(), NULL, &vertexShader);
    if (FAILED(result))
        return false;

    result = device->CreatePixelShader(pixelShaderBuffer->GetBufferPointer(), pixelShaderBuffer->GetBufferSize(),
                                       NULL, &pixelShader);
    if (FAILED(result))
        return false;

    D3D11_INPUT_ELEMENT_DESC polygonLayout[3];
    polygonLayout[0].SemanticName = "POSITION";
    polygonLayout[0].SemanticIndex = 0;
    polygonLayout[0].Format = DXGI_FORMAT_R32G32B32_FLOAT;
    polygonLayout[0].InputSlot = 0;
    polygonLayout[0].AlignedByteOffset = 0;
    polygonLayout[0].InputSlotClass = D3D11_INPUT_PER_VERTEX_DATA;
    polygonLayout[0].InstanceDataStepRate = 0;

    polygonLayout[1].SemanticName = "TEXCOORD";
    polygonLayout[1].SemanticIndex = 0;
    polygonLayout[1].Format = DXGI_FORMAT_R32G32_FLOAT;
    polygonLayout[1].InputSlot = 0;
    polygonLayout[1].AlignedByteOffset = D3D11_APPEND_ALIGNED_ELEMENT;
    polygonLayout[1].InputSlotClass = D3D11_INPUT_PER_VERTEX_DATA;
    polygonLayout[1].InstanceDataStepRate = 0;

    polygonLayout[2].SemanticName = "NORMAL";
    polygonLayout[2].SemanticIndex = 0;
    polygonLayout[2].Format = DXGI_FORMAT_R32G32B32_FLOAT;
    polygonLayout[2].InputSlot = 0;
    polygonLayout[2].AlignedByteOffset = D3D11_APPEND_ALIGNED_ELEMENT;
    polygonLayout[2].InputSlotClass = D3D11_INPUT_PER_VERTEX_DATA;
    polygonLayout[2].InstanceDataStepRate = 0;

    const UINT numElements = sizeof(polygonLayout) / sizeof(polygonLayout[0]);
    result = device->CreateInputLayout(polygonLayout, numElements, vertexShaderBuffer->GetBufferPointer(),
                                       vertexShaderBuffer->GetBufferSize(), &inputLayout);
    return SUCCEEDED(result);
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
    context->IASetInputLayout(inputLayout);
    context->VSSetShader(vertexShader, NULL, 0);
    context->PSSetShader(pixelShader, NULL, 0);
    context->PSSetSamplers(0, 1, &samplerState);
    // A negative count would reach the device as some four billion indices.
    if (indexCount > 0)
        context->DrawIndexed(static_cast<UINT>(indexCount), 0, 0);
}

void LightShader::ReleasePipeline()
{
    if (lightBuffer)
    {
        lightBuffer->Release();
        lightBuffer = nullptr;
    }
    if (matrixBuffer)
    {
        matrixBuffer->Release();
        matrixBuffer = nullptr;
    }
    if (samplerState)
    {
        samplerState->Release();
        samplerState = nullptr;
    }
    if (inputLayout)
    {
        inputLayout->Release();
        inputLayout = nullptr;
    }
    if (pixelShader)
    {
        pixelShader->Release();
        pixelShader = nullptr;
    }
    if (vertexShader)
    {
        vertexShader->Release();
        vertexShader = nullptr;
    }
}
