#include "ModelFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

namespace
{
// The longest shortest form of a float, "-1.17549435e-38", is 15 characters.
const std::size_t FieldCapacity = 24;
const std::size_t RecordCapacity = 8 * FieldCapacity;
const std::size_t VerticesPerChunk = 16384;
const unsigned int MostThreads = 8;

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

// Formatting the numbers is most of the work: each batch of chunks is
// formatted on as many threads as the machine has, then written in order.
bool ModelFileWriter::WriteAll(std::FILE* file, const std::vector<ModelVertex>& vertices)
{
    const std::string header = "Vertex Count: " + std::to_string(vertices.size()) + "\n\nData:\n\n";
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size())
        return false;
    std::vector<std::string> texts(std::clamp(std::thread::hardware_concurrency(), 1u, MostThreads));
    for (std::string& text : texts)
        text.reserve(VerticesPerChunk * RecordCapacity); // no allocating on the threads
    for (std::size_t first = 0; first < vertices.size(); first += texts.size() * VerticesPerChunk)
    {
        FormatBatch(vertices, first, texts);
        for (const std::string& text : texts)
            if (std::fwrite(text.data(), 1, text.size(), file) != text.size())
                return false;
    }
    return std::fflush(file) == 0;
}

void ModelFileWriter::FormatBatch(const std::vector<ModelVertex>& vertices, std::size_t first,
                                  std::vector<std::string>& texts)
{
    std::vector<std::thread> threads;
    for (std::size_t chunk = 0; chunk < texts.size(); ++chunk)
    {
        const std::size_t begin = std::min(vertices.size(), first + chunk * VerticesPerChunk);
        const std::size_t count = std::min(VerticesPerChunk, vertices.size() - begin);
        const auto format = [&vertices, &texts, chunk, begin, count] {
            FormatRecords(vertices.data() + begin, count, texts[chunk]);
        };
        if (chunk + 1 == texts.size())
            format(); // the last chunk on this thread
        else
            try
            {
                threads.emplace_back(format);
            }
            catch (const std::system_error&)
            {
                format(); // no thread to be had
            }
    }
    for (std::thread& thread : threads)
        thread.join();
}

void ModelFileWriter::FormatRecords(const ModelVertex* vertices, std::size_t count, std::string& text)
{
    text.resize(count * RecordCapacity);
    char* const begin = &text[0];
    char* out = begin;
    for (std::size_t v = 0; v < count; ++v)
        out = AppendRecord(out, vertices[v]);
    text.resize(static_cast<std::size_t>(out - begin));
}
