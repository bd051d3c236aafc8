#pragma once

#include "ModelVertex.h"

#include <d3d11.h>

class Texture;

// The model read from its text file, as GPU vertex and index buffers, with its
// texture. The vertex list stays in memory for the model's whole life.
class Model
{
public:
    Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    ~Model();

    bool Initialize(ID3D11Device* device, const WCHAR* textureFileName, const char* modelFileName);
    void Shutdown();
    // Binds the buffers and the topology; the shader draws.
    void Bind(ID3D11DeviceContext* context);
    int GetIndexCount();
    // Borrowed: no reference is added.
    ID3D11ShaderResourceView* GetTexture();

private:
    bool ReadModelFile(const char* fileName);
    void FreeVertexList();
    bool CreateBuffers(ID3D11Device* device);
    void ReleaseBuffers();
    bool CreateTexture(ID3D11Device* device, const WCHAR* fileName);
    void DestroyTexture();

    ID3D11Buffer* vertexBuffer;
    ID3D11Buffer* indexBuffer;
    int vertexCount;
    int indexCount;
    Texture* texture;
    ModelVertex* vertexList;
};
