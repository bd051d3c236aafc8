#include "ModelFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

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

std::string ErrorText()
{
    return std::strerror(errno);
}
}

bool ModelFileWriter::Write(const std::string& path, const std::vector<ModelVertex>& vertices, std::string& error)
{
    std::string temporary;
    std::FILE* file = CreateTemporary(path, temporary);
    if (file == nullptr)
    {
        error = "cannot create a file beside it: " + ErrorText();
        return false;
    }
    bool done = false;
    try
    {
        done = WriteAll(file, vertices);
        if (!done)
            error = "cannot write: " + ErrorText();
    }
    catch (const std::exception& exception)
    {
        error = std::string("cannot write: ") + exception.what();
    }
    if (std::fclose(file) != 0 && done)
    {
        done = false;
        error = "cannot write: " + ErrorText();
    }
    if (done)
    {
        std::error_code code;
        std::filesystem::rename(temporary, path, code);
        done = !code;
        if (!done)
            error = "cannot replace it: " + code.message();
    }
    if (!done)
        std::remove(temporary.c_str());
    return done;
}

// A new file, never an existing one: "x" refuses a name that is taken.
std::FILE* ModelFileWriter::CreateTemporary(const std::string& path, std::string& temporary)
{
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        temporary = path + ".partial-" + std::to_string(random() % 1000000);
        std::FILE* file = std::fopen(temporary.c_str(), "wbx");
        if (file != nullptr || errno != EEXIST)
            return file;
    }
    return nullptr;
}

// Records are formatted a chunk at a time into one buffer that is reused.
bool ModelFileWriter::WriteAll(std::FILE* file, const std::vector<ModelVertex>& vertices)
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
