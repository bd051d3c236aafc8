#include "DebugWindow.h"

#include "QuadVertex.h"
#include "ReleaseInterface.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

// Initialize sets the sizes; zeros until then keep every getter defined.
DebugWindow::DebugWindow()
    : vertexBuffer(nullptr), indexBuffer(nullptr), vertexCount(0), indexCount(0), screenWidth(0), screenHeight(0),
      bitmapWidth(0), bitmapHeight(0), previousX(-1), previousY(-1)
{
}

DebugWindow::~DebugWindow()
{
}

bool DebugWindow::Initialize(ID3D11Device* device, int screenWidthPixels, int screenHeightPixels,
                             int bitmapWidthPixels, int bitmapHeightPixels)
{
    screenWidth = screenWidthPixels;
    screenHeight = screenHeightPixels;
    bitmapWidth = bitmapWidthPixels;
    bitmapHeight = bitmapHeightPixels;
    previousX = -1;
    previousY = -1;
    return CreateBuffers(device);
}

void DebugWindow::Shutdown()
{
    ReleaseBuffers();
}

bool DebugWindow::Bind(ID3D11DeviceContext* context, int x, int y)
{
    if (!UpdateQuad(context, x, y))
        return false;
    BindBuffers(context);
    return true;
}

int DebugWindow::GetIndexCount()
{
    return indexCount;
}

bool DebugWindow::CreateBuffers(ID3D11Device* device)
{
    vertexCount = 6;
    indexCount = vertexCount;

    std::unique_ptr<QuadVertex[]> vertices(new (std::nothrow) QuadVertex[vertexCount]);
    std::unique_ptr<std::uint32_t[]> indices(new (std::nothrow) std::uint32_t[indexCount]);
    if (!vertices || !indices)
        return false;

    // Two degenerate triangles until the first position is known: nothing shows.
    std::memset(vertices.get(), 0, sizeof(QuadVertex) * vertexCount);
    for (int i = 0; i < indexCount; ++i)
        indices[i] = static_cast<std::uint32_t>(i);

    D3D11_BUFFER_DESC vertexBufferDesc;
    vertexBufferDesc.Usage = D3D11_USAGE_DYNAMIC;
    vertexBufferDesc.ByteWidth = static_cast<UINT>(sizeof(QuadVertex) * vertexCount);
    vertexBufferDesc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    vertexBufferDesc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    vertexBufferDesc.MiscFlags = 0;
    vertexBufferDesc.StructureByteStride = 0;

    D3D11_SUBRESOURCE_DATA vertexData;
    vertexData.pSysMem = vertices.get();
    vertexData.SysMemPitch = 0;
    vertexData.SysMemSlicePitch = 0;
    if (FAILED(device->CreateBuffer(&vertexBufferDesc, &vertexData, &vertexBuffer)))
        return false;

    D3D11_BUFFER_DESC indexBufferDesc;
    indexBufferDesc.Usage = D3D11_USAGE_DEFAULT;
    indexBufferDesc.ByteWidth = static_cast<UINT>(sizeof(std::uint32_t) * indexCount);
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

bool DebugWindow::UpdateQuad(ID3D11DeviceContext* context, int x, int y)
{
    if (x == previousX && y == previousY)
        return true;

    // Screen-centred coordinates, y upwards; the halving truncates on odd sizes.
    const float left = static_cast<float>(-(screenWidth / 2)) + static_cast<float>(x);
    const float right = left + static_cast<float>(bitmapWidth);
    const float top = static_cast<float>(screenHeight / 2) - static_cast<float>(y);
    const float bottom = top - static_cast<float>(bitmapHeight);

    std::unique_ptr<QuadVertex[]> vertices(new (std::nothrow) QuadVertex[vertexCount]);
    if (!vertices)
        return false;

    // Clockwise on screen, so both triangles face the viewer.
    vertices[0] = {D3DXVECTOR3(left, top, 0.0f), D3DXVECTOR2(0.0f, 0.0f)};
    vertices[1] = {D3DXVECTOR3(right, bottom, 0.0f), D3DXVECTOR2(1.0f, 1.0f)};
    vertices[2] = {D3DXVECTOR3(left, bottom, 0.0f), D3DXVECTOR2(0.0f, 1.0f)};
    vertices[3] = {D3DXVECTOR3(left, top, 0.0f), D3DXVECTOR2(0.0f, 0.0f)};
    vertices[4] = {D3DXVECTOR3(right, top, 0.0f), D3DXVECTOR2(1.0f, 0.0f)};
    vertices[5] = {D3DXVECTOR3(right, bottom, 0.0f), D3DXVECTOR2(1.0f, 1.0f)};

    D3D11_MAPPED_SUBRESOURCE mappedResource;
    if (FAILED(context->Map(vertexBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mappedResource)))
        return false;
    std::memcpy(mappedResource.pData, vertices.get(), sizeof(QuadVertex) * vertexCount);
    context->Unmap(vertexBuffer, 0);

    // Remembered only once the buffer holds it, so a retry after a failure rebuilds.
    previousX = x;
    previousY = y;
    return true;
}

void DebugWindow::BindBuffers(ID3D11DeviceContext* context)
{
    const UINT stride = sizeof(QuadVertex);
    const UINT offset = 0;
    context->IASetVertexBuffers(0, 1, &vertexBuffer, &stride, &offset);
    context->IASetIndexBuffer(indexBuffer, DXGI_FORMAT_R32_UINT, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}

void DebugWindow::ReleaseBuffers()
{
    ReleaseInterface(indexBuffer);
    ReleaseInterface(vertexBuffer);
}
