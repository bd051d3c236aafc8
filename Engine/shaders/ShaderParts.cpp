#include "ShaderParts.h"

#include "MatrixConstants.h"
#include "ShaderErrorReport.h"

#include <d3dx11.h>

bool ShaderParts::CompileFile(HWND window, const WCHAR* shaderFile, const char* functionName, const char* profile,
                              ID3D10Blob** shaderBuffer)
{
    ID3D10Blob* errorMessage = nullptr;
    const HRESULT result = D3DX11CompileFromFileW(shaderFile, NULL, NULL, functionName, profile,
                                                  D3D10_SHADER_ENABLE_STRICTNESS, 0, NULL, shaderBuffer,
                                                  &errorMessage, NULL);
    if (FAILED(result))
    {
        if (errorMessage)
            ShaderErrorReport::ReportCompileErrors(errorMessage, window, shaderFile);
        else
            ShaderErrorReport::ReportMissingFile(window, shaderFile);
        return false;
    }
    // A successful compile may still hand back warnings; nobody shows them.
    if (errorMessage)
        errorMessage->Release();
    return true;
}

bool ShaderParts::CreateStages(ID3D11Device* device, HWND window, const Sources& sources,
                               const D3D11_INPUT_ELEMENT_DESC* polygonLayout, UINT numElements,
                               ID3D11VertexShader** vertexShader, ID3D11PixelShader** pixelShader,
                               ID3D11InputLayout** inputLayout)
{
    ID3D10Blob* vertexShaderBuffer = nullptr;
    ID3D10Blob* pixelShaderBuffer = nullptr;
    const bool created =
        CompileFile(window, sources.vertexShaderFile, sources.vertexFunction, "vs_5_0", &vertexShaderBuffer) &&
        CompileFile(window, sources.pixelShaderFile, sources.pixelFunction, "ps_5_0", &pixelShaderBuffer) &&
        SUCCEEDED(device->CreateVertexShader(vertexShaderBuffer->GetBufferPointer(),
                                             vertexShaderBuffer->GetBufferSize(), NULL, vertexShader)) &&
        SUCCEEDED(device->CreatePixelShader(pixelShaderBuffer->GetBufferPointer(),
                                            pixelShaderBuffer->GetBufferSize(), NULL, pixelShader)) &&
        SUCCEEDED(device->CreateInputLayout(polygonLayout, numElements, vertexShaderBuffer->GetBufferPointer(),
                                            vertexShaderBuffer->GetBufferSize(), inputLayout));

    // The bytecode is done with once the shaders and the layout exist, and on every failure.
    if (vertexShaderBuffer)
        vertexShaderBuffer->Release();
    if (pixelShaderBuffer)
        pixelShaderBuffer->Release();
    return created;
}

bool ShaderParts::CreateSampler(ID3D11Device* device, ID3D11SamplerState** samplerState)
{
    D3D11_SAMPLER_DESC samplerDesc;
    samplerDesc.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
    samplerDesc.AddressU = D3D11_TEXTURE_ADDRESS_WRAP;
    samplerDesc.AddressV = D3D11_TEXTURE_ADDRESS_WRAP;
    samplerDesc.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
    samplerDesc.MipLODBias = 0.0f;
    samplerDesc.MaxAnisotropy = 1;
    samplerDesc.ComparisonFunc = D3D11_COMPARISON_ALWAYS;
    samplerDesc.BorderColor[0] = 0.0f;
    samplerDesc.BorderColor[1] = 0.0f;
    samplerDesc.BorderColor[2] = 0.0f;
    samplerDesc.BorderColor[3] = 0.0f;
    samplerDesc.MinLOD = 0.0f;
    samplerDesc.MaxLOD = D3D11_FLOAT32_MAX;
    return SUCCEEDED(device->CreateSamplerState(&samplerDesc, samplerState));
}

bool ShaderParts::CreateConstantBuffer(ID3D11Device* device, UINT byteWidth, ID3D11Buffer** buffer)
{
    D3D11_BUFFER_DESC constantBufferDesc;
    constantBufferDesc.ByteWidth = byteWidth;
    constantBufferDesc.Usage = D3D11_USAGE_DYNAMIC;
    constantBufferDesc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    constantBufferDesc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    constantBufferDesc.MiscFlags = 0;
    constantBufferDesc.StructureByteStride = 0;
    return SUCCEEDED(device->CreateBuffer(&constantBufferDesc, NULL, buffer));
}

bool ShaderParts::UploadMatrices(ID3D11DeviceContext* context, ID3D11Buffer* matrixBuffer, D3DXMATRIX world,
                                 D3DXMATRIX view, D3DXMATRIX projection)
{
    D3D11_MAPPED_SUBRESOURCE mappedResource;
    if (FAILED(context->Map(matrixBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mappedResource)))
        return false;
    // The copies are transposed, never the caller's matrices.
    D3DXMatrixTranspose(&world, &world);
    D3DXMatrixTranspose(&view, &view);
    D3DXMatrixTranspose(&projection, &projection);
    MatrixConstants* matrices = static_cast<MatrixConstants*>(mappedResource.pData);
    matrices->world = world;
    matrices->view = view;
    matrices->projection = projection;
    context->Unmap(matrixBuffer, 0);
    context->VSSetConstantBuffers(0, 1, &matrixBuffer);
    return true;
}

void ShaderParts::DrawMesh(ID3D11DeviceContext* context, ID3D11InputLayout* inputLayout,
                           ID3D11VertexShader* vertexShader, ID3D11PixelShader* pixelShader,
                           ID3D11SamplerState* samplerState, int indexCount)
{
    context->IASetInputLayout(inputLayout);
    context->VSSetShader(vertexShader, NULL, 0);
    context->PSSetShader(pixelShader, NULL, 0);
    context->PSSetSamplers(0, 1, &samplerState);
    // A negative count would reach the device as some four billion indices.
    if (indexCount > 0)
        context->DrawIndexed(static_cast<UINT>(indexCount), 0, 0);
}
