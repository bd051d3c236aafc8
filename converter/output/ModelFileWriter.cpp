#include "ModelFileWriter.h"

#include "OutputFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace
{
// The longest shortest form of a float, "-1.17549435e-38", is 15 characters.
const std::size_t FieldCapacity = 24;
const std::size_t RecordCapacity = 8 * FieldCapacity;
const std::size_t VerticesPerChunk = 16384;

char* AppendRecord(char* out, const ModelVertex& vertex)
{
    const float fields[8] = {vertex.x, vertex.y, vertex.z, vertex.tu, vertex.tv, vertex.nx, vertex.ny, vertex.nz};
    for (int i = 0; i < 8; ++i)
    {
        out = std::to_chars(out, out + FieldCapacity - 1, fields[i]).ptr;
        *out++ = i < 7 ? ' ' : '\n';
    }
    return out;
}
}

bool ModelFileWriter::Write(const std::string& path, const std::vector<ModelVertex>& vertices, std::string& error)
{
    OutputFile output(path);
    return output.Open(error) && output.Close(Write(output.Stream(), vertices), error) && output.Commit(error);
}

// Records are formatted a chunk at a time into one buffer that is reused.
bool ModelFileWriter::Write(std::FILE* file, const std::vector<ModelVertex>& vertices)
{
    const std::string header = "Vertex Count: " + std::to_string(vertices.size()) + "\n\nData:\n\n";
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size())
        return false;
    std::vector<char> text(VerticesPerChunk * RecordCapacity);
    for (std::size_t first = 0; first < vertices.size(); first += VerticesPerChunk)
    {
        const std::size_t count = std::min(VerticesPerChunk, vertices.size() - first);
        char* out = text.data();
        for (std::size_t v = first; v < first + count; ++v)
            out = AppendRecord(out, vertices[v]);
        const std::size_t bytes = static_cast<std::size_t>(out - text.data());
        if (std::fwrite(text.data(), 1, bytes, file) != bytes)
            return false;
    }
    return std::fflush(file) == 0;
}
