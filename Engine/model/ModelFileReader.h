#pragma once

#include "ModelVertex.h"

// Reads the model text file into a vertex list.
class ModelFileReader
{
public:
    // On true, vertexList is a new (std::nothrow) ModelVertex[vertexCount] array the caller frees with delete[].
    static bool ReadFile(const char* fileName, int& vertexCount, ModelVertex*& vertexList);
};
