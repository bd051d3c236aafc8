#pragma once
#include "ModelVertex.h"

#include <cstddef>

// Reads the model text file: everything up to the first ':' (a label), the
// vertex count, everything up to the next ':' (a second label), two characters
// that are skipped, then eight numbers per vertex. The text is taken as the
// platform's text-mode input stream delivers it (CR LF is one line break,
// Ctrl-Z ends the file) and every value comes out as formatted stream
// extraction would give it; once an extraction fails, the later fields stay 0.
class ModelFileReader
{
public:
    // On true, vertexList is a new (std::nothrow) ModelVertex[vertexCount]
    // array (non-null, also for count 0) that the caller frees with delete[];
    // on false nothing is allocated, vertexList is null and vertexCount 0.
    // Fails for a missing file, a file without its two ':' or its count, a
    // negative count, and a count the rest of the file cannot hold.
    static bool ReadFile(const char* fileName, int& vertexCount, ModelVertex*& vertexList);

    // The same over the file's raw bytes already in memory.
    static bool Parse(const char* data, std::size_t size, int& vertexCount, ModelVertex*& vertexList);

private:
    static const char* TextEnd(const char* data, std::size_t size);
    static bool SkipPastColon(const char*& p, const char* end);
    static void SkipCharacter(const char*& p, const char* end);
    static bool RestCanHold(const char* p, const char* end, int vertexCount);
    static void ReadFields(const char* p, const char* end, float* fields, std::size_t fieldCount);
};
