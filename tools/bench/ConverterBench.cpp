// converter_bench [--runs N] [--millions 1,4] [--before VEXELO_MODEL] [geometry] [materials] [peers]
// geometry: converts a generated model of a million triangles (a binary PLY
// height field with texture coordinates and no normals) in this process and
// prints how long the import, the building of the triangle list and the
// writing take, and how fast the writer writes.
// materials: bakes a model of 32 materials, each with its own 1024 x 1024
// photo-like PNG, and prints the time of the whole bake and of each of its
// steps, taken again one by one as the baker takes them.
// peers: vexelo-model next to gltfpack and assimp export (PeerBench.h), and
// next to another vexelo-model (--before) on the same files.
// Without a part named, all three.
#include "MaterialBench.h"
#include "ModelFileWriter.h"
#if defined(VEXELO_BENCH_PEERS)
#include "PeerBench.h"
#endif
#include "SceneImport.h"
#include "TriangleListBuilder.h"

#include <assimp/scene.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

namespace
{
const int Columns = 1000, Rows = 500; // 2 x 1000 x 500 triangles
const char* const InputName = "converter-bench.ply";
const char* const OutputName = "converter-bench.txt";

template <typename T>
void Put(std::string& bytes, T value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

bool WriteHeightField()
{
    const int vertices = (Columns + 1) * (Rows + 1);
    std::string bytes = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(vertices) +
                        "\nproperty float x\nproperty float y\nproperty float z\nproperty float s\nproperty float t\n"
                        "element face " + std::to_string(Columns * Rows) +
                        "\nproperty list uchar int vertex_indices\nend_header\n";
    for (int r = 0; r <= Rows; ++r)
        for (int c = 0; c <= Columns; ++c)
        {
            const float x = c * 0.01f, z = r * 0.01f;
            const float fields[5] = {x, 0.1f * std::sin(7 * x) * std::cos(5 * z), z, float(c) / Columns,
                                     float(r) / Rows};
            for (float field : fields)
                Put(bytes, field);
        }
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
        {
            const int corner = r * (Columns + 1) + c;
            Put(bytes, static_cast<unsigned char>(4));
            const int quad[4] = {corner, corner + Columns + 1, corner + Columns + 2, corner + 1};
            for (int index : quad)
                Put(bytes, index);
        }
    std::ofstream file(InputName, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int GeometryFigures()
{
    if (!WriteHeightField())
    {
        std::printf("could not write %s\n", InputName);
        return 1;
    }
    std::string error;
    SceneImport import;
    auto start = std::chrono::steady_clock::now();
    const aiScene* scene = import.Read(InputName, error);
    const double importSeconds = Since(start);
    std::remove(InputName);
    TriangleListBuilder::Result model;
    start = std::chrono::steady_clock::now();
    const bool built = scene != nullptr && TriangleListBuilder::Build(*scene, aiMatrix4x4(), false, model, error) &&
                       TriangleListBuilder::FitToCube(model.vertices, error);
    const double buildSeconds = Since(start);
    if (!built)
    {
        std::printf("conversion failed: %s\n", error.c_str());
        return 1;
    }

    // Processor time too: on a shared machine the clock also counts others' work.
    double writeSeconds = 1e30, writeProcessorSeconds = 1e30;
    for (int run = 0; run < 3; ++run)
    {
        start = std::chrono::steady_clock::now();
        const std::clock_t processorStart = std::clock();
        if (!ModelFileWriter::Write(OutputName, model.vertices, error))
        {
            std::printf("writing failed: %s\n", error.c_str());
            return 1;
        }
        writeSeconds = std::fmin(writeSeconds, Since(start));
        writeProcessorSeconds =
            std::fmin(writeProcessorSeconds, static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC);
    }
    std::ifstream written(OutputName, std::ios::binary | std::ios::ate);
    const double megabytes = static_cast<double>(written.tellg()) / 1e6;
    written.close();
    std::remove(OutputName);

    std::printf("model: %zu triangles, %zu vertices, %.1f MB written\n", model.vertices.size() / 3,
                model.vertices.size(), megabytes);
    std::printf("import (Assimp):       %7.3f s\n", importSeconds);
    std::printf("triangle list, normals: %6.3f s\n", buildSeconds);
    std::printf("write (best of 3):     %7.3f s, %.0f MB/s\n", writeSeconds, megabytes / writeSeconds);
    std::printf("write, processor time: %6.3f s, %.0f MB/s\n", writeProcessorSeconds, megabytes / writeProcessorSeconds);
    return 0;
}

#if defined(VEXELO_BENCH_PEERS)
bool ParseMillions(const char* text, std::vector<int>& millions)
{
    millions.clear();
    for (const char* at = text; *at != '\0';)
    {
        char* end = nullptr;
        const long value = std::strtol(at, &end, 10);
        if (end == at || value < 1 || value > 40 || (*end != ',' && *end != '\0'))
            return false;
        millions.push_back(static_cast<int>(value));
        at = *end == ',' ? end + 1 : end;
    }
    return !millions.empty();
}
#endif
}

int main(int argc, char** argv)
{
#if defined(VEXELO_BENCH_PEERS)
    if (argc == 3 && std::strcmp(argv[1], "--import-only") == 0)
        return PeerBench::ImportOnly(argv[2]);
    PeerBench::Options peers;
#endif
    std::set<std::string> parts;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
#if defined(VEXELO_BENCH_PEERS)
        if (argument == "--runs" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            peers.runs = std::atoi(argv[++i]);
        else if (argument == "--millions" && i + 1 < argc && ParseMillions(argv[i + 1], peers.millions))
            ++i;
        else if (argument == "--before" && i + 1 < argc)
            peers.before = argv[++i];
        else if (argument == "peers")
            parts.insert(argument);
        else
#endif
            if (argument == "geometry" || argument == "materials")
            parts.insert(argument);
        else
        {
            std::printf("usage: converter_bench [--runs N] [--millions 1,4] [--before VEXELO_MODEL] [geometry] [materials] [peers]\n");
            return 2;
        }
    }
    const auto wanted = [&parts](const char* part) { return parts.empty() || parts.count(part) != 0; };
    bool ok = true;
    if (wanted("geometry"))
        ok = GeometryFigures() == 0 && ok;
    if (wanted("materials"))
        ok = MaterialBench().Run() && ok;
#if defined(VEXELO_BENCH_PEERS)
    if (wanted("peers"))
        ok = PeerBench(peers).Run() && ok;
#endif
    return ok ? 0 : 1;
}
