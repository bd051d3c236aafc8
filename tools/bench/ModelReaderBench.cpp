// Writes a model file of a million vertices and prints how fast the reader
// reads it, next to the plain stream-based reading, in MB/s; then where the
// time of getting the file into memory goes, step by step.
#include "ModelFileReader.h"
#include "StreamReference.h"
#include "WholeFile.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace
{
const int VertexCount = 1000000;
const char* const FileName = "model-reader-bench.txt";
const std::size_t PageSize = 4096;

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

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename Read>
double BestSeconds(int runs, Read read)
{
    double best = 1e30;
    for (int r = 0; r < runs; ++r)
    {
        const auto start = std::chrono::steady_clock::now();
        read();
        const double elapsed = Seconds(start);
        best = elapsed < best ? elapsed : best;
    }
    return best;
}

// Reads one byte per page, so every page of the range is present.
unsigned TouchPages(const char* data, std::size_t size)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; i += PageSize)
        sum += static_cast<unsigned char>(data[i]);
    return sum;
}

bool Same(int countA, const ModelVertex* a, int countB, const ModelVertex* b)
{
    return countA == countB && a != nullptr && b != nullptr &&
           std::memcmp(a, b, sizeof(ModelVertex) * static_cast<std::size_t>(countA)) == 0;
}

// The steps of getting the file's bytes into memory, each on its own, in ms.
void PrintReadSteps(std::size_t size)
{
    std::unique_ptr<char[]> touched(new char[size]);
    std::memset(touched.get(), 0, size);
    unsigned sink = 0;

    const double firstTouch = BestSeconds(3, [&] {
        std::unique_ptr<char[]> fresh(new char[size]);
        for (std::size_t i = 0; i < size; i += PageSize)
            fresh[i] = 1;
        sink += static_cast<unsigned>(fresh[size - 1]);
    });
    const double streamTouched = BestSeconds(3, [&] {
        std::ifstream file(FileName, std::ios::binary);
        file.read(touched.get(), static_cast<std::streamsize>(size));
    });
    const double freadTouched = BestSeconds(3, [&] {
        std::FILE* file = std::fopen(FileName, "rb");
        if (file != nullptr)
        {
            sink += static_cast<unsigned>(std::fread(touched.get(), 1, size, file));
            std::fclose(file);
        }
    });
    const double streamFresh = BestSeconds(3, [&] {
        std::unique_ptr<char[]> fresh(new char[size]);
        std::ifstream file(FileName, std::ios::binary);
        file.read(fresh.get(), static_cast<std::streamsize>(size));
    });
    const double loadAndTouch = BestSeconds(3, [&] {
        WholeFile file;
        if (file.Load(FileName))
            sink += TouchPages(file.Data(), file.Size());
    });

    std::printf("getting the file into memory, ms (best of 3):\n");
    std::printf("  first touch of a fresh block:           %7.1f\n", firstTouch * 1e3);
    std::printf("  std::ifstream read into a touched block:%7.1f\n", streamTouched * 1e3);
    std::printf("  C runtime fread into a touched block:   %7.1f\n", freadTouched * 1e3);
    std::printf("  std::ifstream read into a fresh block:  %7.1f\n", streamFresh * 1e3);
    std::printf("  the reader's load, every page touched:  %7.1f\n", loadAndTouch * 1e3);
    if (sink == 1)
        std::printf("\n"); // keeps the touches from being optimised away
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

    int count = 0, fileCount = 0, referenceCount = 0;
    ModelVertex* list = nullptr;
    ModelVertex* fileList = nullptr;
    ModelVertex* reference = nullptr;
    const double file = BestSeconds(3, [&] {
        delete[] fileList;
        ModelFileReader::ReadFile(FileName, fileCount, fileList);
    });
    // The same two steps timed apart; a mapped file's pages arrive while it is parsed.
    double read = 1e30, parse = 1e30;
    for (int r = 0; r < 3; ++r)
    {
        auto start = std::chrono::steady_clock::now();
        WholeFile bytes;
        bytes.Load(FileName);
        const double readRun = Seconds(start);
        start = std::chrono::steady_clock::now();
        delete[] list;
        ModelFileReader::Parse(bytes.Data(), bytes.Size(), count, list);
        const double parseRun = Seconds(start);
        if (readRun + parseRun < read + parse)
            read = readRun, parse = parseRun;
    }
    const double memory = BestSeconds(3, [&] {
        delete[] list;
        ModelFileReader::Parse(text.data(), text.size(), count, list);
    });
    const double stream = BestSeconds(1, [&] { StreamReference::ReadFile(FileName, referenceCount, reference); });

    std::printf("reader, from the file:         %8.1f MB/s\n", megabytes / file);
    std::printf("  load %.1f ms, then parse the loaded bytes %.1f ms\n", read * 1e3, parse * 1e3);
    std::printf("reader, from memory:           %8.1f MB/s (parse %.1f ms)\n", megabytes / memory, memory * 1e3);
    std::printf("stream reference:              %8.1f MB/s\n", megabytes / stream);
    std::printf("reader from the file / stream: %8.1fx\n", stream / file);
    PrintReadSteps(text.size());
    std::remove(FileName);

    const bool same = Same(fileCount, fileList, referenceCount, reference) && Same(count, list, referenceCount, reference);
    std::printf("results identical: %s\n", same ? "yes" : "NO");
    delete[] fileList;
    delete[] list;
    delete[] reference;
    return same ? 0 : 1;
}
