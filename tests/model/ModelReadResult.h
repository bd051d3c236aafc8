#pragma once
#include "ModelVertex.h"

#include <string>
#include <vector>

// The outcome of one read, copied out of the reader's array (which is freed),
// so reads can be compared bit for bit.
class ModelReadResult
{
public:
    bool ok = false;
    int count = 0;
    bool listNull = true;
    std::vector<ModelVertex> vertices;

    static ModelReadResult Take(bool ok, int count, ModelVertex* list);

    static ModelReadResult Parse(const std::string& text);
    static ModelReadResult ReadFile(const char* fileName);
    static ModelReadResult ReadReference(const char* fileName);

    float Field(std::size_t index) const;

    // Empty when both reads agree in result, count and every float's bits;
    // otherwise the first difference.
    static std::string Difference(const ModelReadResult& expected, const ModelReadResult& actual);
};
