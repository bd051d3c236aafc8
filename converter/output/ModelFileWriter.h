#pragma once
#include "ModelVertex.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Writes Engine's model file: the count line, the "Data:" line, then one line
// of eight numbers per vertex, each in the shortest form that reads back as
// the same float.
class ModelFileWriter
{
public:
    // The vertices one thread formats at a time into one buffer.
    static constexpr std::size_t VerticesPerChunk = 16384;

    // Chunks are formatted on as many threads as there are cores (at most
    // four) and written in order, a chunk a write: the same bytes whatever
    // the number of threads. False if a write fails.
    static bool Write(std::FILE* file, const std::vector<ModelVertex>& vertices);

    // The whole file through an OutputFile: on failure path is left as it
    // was and nothing is left beside it. The cause goes to error.
    static bool Write(const std::string& path, const std::vector<ModelVertex>& vertices, std::string& error);
};
