// Writes a model file of a million vertices and prints how fast the reader
// reads it, next to the plain stream-based reading, in MB/s.
#include "ModelFileReader.h"
#include "StreamReference.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace
{
const int VertexCount = 1000000;
const char* const FileName = "model-reader-bench.txt";

// A deterministic model of plausible numbers: positions, 0..1 texture
// coordinates, unit-ish normals, six decimals each.
std::string ModelText()
{
    std::string text = "Vertex Count: " + std::to_string(VertexCount) + "\n\nData:\n\n";
    text.reserve(static_cast<std::size_t>(VertexCount) * 80);
    std::uint32_t state = 12345;
    char number[32];
    for (int v = 0; v < VertexCount; ++v)
    {
        for (int f = 0; f < 8; ++f)
        {
            state = state * 1664525u + 1013904223u;
            const double unit = static_cast<double>(state >> 8) / 16777216.0;
            const double value = f < 3 ? unit * 20.0 - 10.0 : f < 5 ? unit : unit * 2.0 - 1.0;
            std::snprintf(number, sizeof number, f == 7 ? "%.6f\n" : "%.6f ", value);
            text += number;
        }
    }
    return text;
}

template <typename Read>
double BestSeconds(int runs, Read read)
{
    double best = 1e30;
    for (int r = 0; r < runs; ++r)
    {
        const auto start = std::chrono::steady_clock::now();
        read();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    return best;
}

bool Same(int countA, const ModelVertex* a, int countB, const ModelVertex* b)
{
    return countA == countB && a != nullptr && b != nullptr &&
           std::memcmp(a, b, sizeof(ModelVertex) * static_cast<std::size_t>(countA)) == 0;
}
}

int main()
{
    const std::string text = ModelText();
    {
        std::ofstream file(FileName, std::ios::binary);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!file)
        {
            std::printf("could not write %s\n", FileName);
            return 1;
        }
    }
    const double megabytes = static_cast<double>(text.size()) / 1e6;
    std::printf("model file: %d vertices, %.1f MB\n", VertexCount, megabytes);

    int count = 0, referenceCount = 0;
    ModelVertex* list = nullptr;
    ModelVertex* reference = nullptr;
    const double file = BestSeconds(3, [&] {
        delete[] list;
        ModelFileReader::ReadFile(FileName, count, list);
    });
    const double memory = BestSeconds(3, [&] {
        delete[] list;
        ModelFileReader::Parse(text.data(), text.size(), count, list);
    });
    const double stream = BestSeconds(1, [&] { StreamReference::ReadFile(FileName, referenceCount, reference); });
    std::remove(FileName);

    std::printf("reader, from the file:         %8.1f MB/s\n", megabytes / file);
    std::printf("reader, from memory:           %8.1f MB/s\n", megabytes / memory);
    std::printf("stream reference:              %8.1f MB/s\n", megabytes / stream);
    std::printf("reader from the file / stream: %8.1fx\n", stream / file);
    const bool same = Same(count, list, referenceCount, reference);
    std::printf("results identical: %s\n", same ? "yes" : "NO");
    delete[] list;
    delete[] reference;
    return same ? 0 : 1;
}
