#include "Model.h"

#include "LitVertex.h"
#include "ModelFileReader.h"
#include "ReleaseInterface.h"
#include "Texture.h"

#include <cstdint>
#include <memory>
#include <new>

namespace
{
// Beyond this many vertices the vertex buffer's byte width no longer fits its 32 bits.
const int MaxVertexCount = static_cast<int>(UINT32_MAX / sizeof(LitVertex));
}

Model::Model()
    : vertexBuffer(nullptr), indexBuffer(nullptr), vertexCount(0), indexCount(0), texture(nullptr),
      vertexList(nullptr)
{
}

Model::~Model()
{
}

bool Model::Initialize(ID3D11Device* device, const WCHAR* textureFileName, const char* modelFileName)
{
    if (!ReadModelFile(modelFileName))
        return false;
    if (!CreateBuffers(device))
        return false;
    return CreateTexture(device, textureFileName);
}

void Model::Shutdown()
{
    DestroyTexture();
    ReleaseBuffers();
    FreeVertexList();
}

void Model::Bind(ID3D11DeviceContext* context)
{
    const UINT stride = sizeof(LitVertex);
    const UINT offset = 0;
    context->IASetVertexBuffers(0, 1, &vertexBuffer, &stride, &offset);
    context->IASetIndexBuffer(indexBuffer, DXGI_FORMAT_R32_UINT, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}

int Model::GetIndexCount()
{
    return indexCount;
}

ID3D11ShaderResourceView* Model::GetTexture()
{
    return texture ? texture->GetTexture() : nullptr;
}

bool Model::ReadModelFile(const char* fileName)
{
    if (!ModelFileReader::ReadFile(fileName, vertexCount, vertexList))
        return false;
    indexCount = vertexCount;
    return true;
}

void Model::FreeVertexList()
{
    if (vertexList)
    {
        delete[] vertexList;
        vertexList = nullptr;
    }
}

bool Model::CreateBuffers(ID3D11Device* device)
{
    if (vertexCount < 0 || vertexCount > MaxVertexCount)
        return false;

    std::unique_ptr<LitVertex[]> vertices(new (std::nothrow) LitVertex[vertexCount]);
    if (!vertices)
        return false;
    std::unique_ptr<std::uint32_t[]> indices(new (std::nothrow) std::uint32_t[indexCount]);
    if (!indices)
        return false;

    for (int i = 0; i < vertexCount; ++i)
    {
        const ModelVertex& record = vertexList[i];
        vertices[i].position = D3DXVECTOR3(record.x, record.y, record.z);
        vertices[i].texture = D3DXVECTOR2(record.tu, record.tv);
        vertices[i].normal = D3DXVECTOR3(record.nx, record.ny, record.nz);
        indices[i] = static_cast<std::uint32_t>(i);
    }

    D3D11_BUFFER_DESC vertexBufferDesc;
    vertexBufferDesc.ByteWidth = static_cast<UINT>(sizeof(LitVertex) * vertexCount);
    vertexBufferDesc.Usage = D3D11_USAGE_DEFAULT;
    vertexBufferDesc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    vertexBufferDesc.CPUAccessFlags = 0;
    vertexBufferDesc.MiscFlags = 0;
    vertexBufferDesc.StructureByteStride = 0;

    D3D11_SUBRESOURCE_DATA vertexData;
    vertexData.pSysMem = vertices.get();
    vertexData.SysMemPitch = 0;
    vertexData.SysMemSlicePitch = 0;
    if (FAILED(device->CreateBuffer(&vertexBufferDesc, &vertexData, &vertexBuffer)))
        return false;

    D3D11_BUFFER_DESC indexBufferDesc;
    indexBufferDesc.ByteWidth = static_cast<UINT>(sizeof(std::uint32_t) * indexCount);
    indexBufferDesc.Usage = D3D11_USAGE_DEFAULT;
    indexBufferDesc.BindFlags = D3D11_BIND_INDEX_BUFFER;
    indexBufferDesc.CPUAccessFlags = 0;
    indexBufferDesc.MiscFlags = 0;
    indexBufferDesc.StructureByteStride = 0;

    D3D11_SUBRESOURCE_DATA indexData;
    indexData.pSysMem = indices.get();
    indexData.SysMemPitch = 0;
    indexData.SysMemSlicePitch = 0;
    return SUCCEEDED(device->CreateBuffer(&indexBufferDesc, &indexData, &indexBuffer));
}

void Model::ReleaseBuffers()
{
    ReleaseInterface(indexBuffer);
    ReleaseInterface(vertexBuffer);
}

bool Model::CreateTexture(ID3D11Device* device, const WCHAR* fileName)
{
    texture = new (std::nothrow) Texture;
    if (!texture)
        return false;
    return texture->Initialize(device, fileName);
}

void Model::DestroyTexture()
{
    if (texture)
    {
        texture->Shutdown();
        delete texture;
        texture = nullptr;
    }
}
