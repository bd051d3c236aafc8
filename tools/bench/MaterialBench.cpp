#include "MaterialBench.h"

#include "DdsWriter.h"
#include "ImageSource.h"
#include "MaterialBaker.h"
#include "OutputFile.h"
#include "SceneImport.h"
#include "TextureAtlas.h"
#include "TilePacker.h"
#include "TriangleListBuilder.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <stb_image_write.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const int Materials = 32;
const int Side = 1024;

// Processor and wall time since it was made, added up over laps.
class Stopwatch
{
public:
    void Start()
    {
        wallStart = std::chrono::steady_clock::now();
        processorStart = std::clock();
    }
    void Stop()
    {
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        processor += static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
    }
    void Print(const char* name) const { std::printf("  %-22s %7.3f s processor, %7.3f s wall\n", name, processor, wall); }

private:
    std::chrono::steady_clock::time_point wallStart;
    std::clock_t processorStart = 0;
    double processor = 0;
    double wall = 0;
};

// Smooth noise: a coarse and a finer lattice of random values, smoothly
// interpolated, and a little grain; every image its own.
class Noise
{
public:
    Noise(std::uint32_t seed, int cells) : cells(cells), values(std::size_t(cells + 1) * (cells + 1))
    {
        for (float& value : values)
        {
            seed = seed * 1664525u + 1013904223u;
            value = static_cast<float>(seed >> 8) / float(1 << 24);
        }
    }
    float At(float x, float y) const
    {
        const float cx = x * cells, cy = y * cells;
        const int ix = std::min(static_cast<int>(cx), cells - 1), iy = std::min(static_cast<int>(cy), cells - 1);
        const float fx = Smooth(cx - ix), fy = Smooth(cy - iy);
        const float top = Lerp(Value(ix, iy), Value(ix + 1, iy), fx);
        const float bottom = Lerp(Value(ix, iy + 1), Value(ix + 1, iy + 1), fx);
        return Lerp(top, bottom, fy);
    }

private:
    static float Smooth(float t) { return t * t * (3 - 2 * t); }
    static float Lerp(float a, float b, float t) { return a + (b - a) * t; }
    float Value(int x, int y) const { return values[std::size_t(y) * (cells + 1) + x]; }

    int cells;
    std::vector<float> values;
};
}

MaterialBench::MaterialBench() : folder("converter-bench-materials"), model(folder + "/model.obj") {}

MaterialBench::~MaterialBench()
{
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

bool MaterialBench::WriteTexture(int index) const
{
    std::vector<std::uint8_t> rgb(std::size_t(Side) * Side * 3);
    std::uint32_t grain = 7u + static_cast<std::uint32_t>(index);
    for (int c = 0; c < 3; ++c)
    {
        const Noise coarse(101u * static_cast<std::uint32_t>(index * 3 + c) + 1, 6);
        const Noise fine(977u * static_cast<std::uint32_t>(index * 3 + c) + 5, 40);
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
            {
                grain = grain * 1103515245u + 12345u;
                const float u = float(x) / Side, v = float(y) / Side;
                const float value = 170 * coarse.At(u, v) + 60 * fine.At(u, v) + float(grain >> 29);
                rgb[(std::size_t(y) * Side + x) * 3 + c] = static_cast<std::uint8_t>(std::min(value, 255.0f));
            }
    }
    const std::string path = folder + "/texture" + std::to_string(index) + ".png";
    return stbi_write_png(path.c_str(), Side, Side, 3, rgb.data(), Side * 3) != 0;
}

// One quad a material, side by side, each covering its whole image.
bool MaterialBench::WriteModel() const
{
    std::ofstream obj(model), mtl(folder + "/model.mtl");
    obj << "mtllib model.mtl\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    for (int i = 0; i < Materials; ++i)
    {
        obj << "v " << i << " 0 0\nv " << i + 1 << " 0 0\nv " << i + 1 << " 1 0\nv " << i << " 1 0\n";
        obj << "usemtl m" << i << "\nf " << 4 * i + 1 << "/1 " << 4 * i + 2 << "/2 " << 4 * i + 3 << "/3 " << 4 * i + 4
            << "/4\n";
        mtl << "newmtl m" << i << "\nKd 0.8 0.8 0.8\nmap_Kd texture" << i << ".png\n";
    }
    return static_cast<bool>(obj) && static_cast<bool>(mtl);
}

bool MaterialBench::Run()
{
    std::error_code code;
    fs::create_directories(folder, code);
    bool written = !code && WriteModel();
    for (int i = 0; i < Materials && written; ++i)
        written = WriteTexture(i);
    if (!written)
    {
        std::printf("could not write the model of %d materials in %s\n", Materials, folder.c_str());
        return false;
    }
    std::uintmax_t bytes = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        bytes += entry.path().extension() == ".png" ? entry.file_size() : 0;
    std::printf("materials: %d of %d x %d PNG (8-bit RGB, %.1f MB of files)\n", Materials, Side, Side,
                static_cast<double>(bytes) / 1e6);
    SceneImport import;
    std::string error;
    const aiScene* scene = import.Read(model, error);
    if (scene == nullptr)
    {
        std::printf("import failed: %s\n", error.c_str());
        return false;
    }
    return BakeWhole(*scene) && BakeInSteps(*scene);
}

bool MaterialBench::BakeWhole(const aiScene& scene)
{
    TriangleListBuilder::Result result;
    std::string error;
    if (!TriangleListBuilder::Build(scene, aiMatrix4x4(), false, result, error) ||
        !TriangleListBuilder::FitToCube(result.vertices, error))
    {
        std::printf("triangle list failed: %s\n", error.c_str());
        return false;
    }
    TextureAtlas atlas;
    MaterialBaker::Report report;
    Stopwatch bake;
    bake.Start();
    const bool baked = MaterialBaker::Bake(scene, model, result.parts, result.vertices, atlas, report, error);
    bake.Stop();
    if (!baked || report.images != Materials)
    {
        std::printf("baking failed: %s (%d image tiles)\n", error.c_str(), report.images);
        return false;
    }
    std::printf("MaterialBaker::Bake, whole:\n");
    bake.Print("bake");
    return true;
}

// The baker's steps in its order, each timed on its own.
bool MaterialBench::BakeInSteps(const aiScene& scene)
{
    Stopwatch sizes, packing, allocating, decoding, copying, scaling, levels, writing;
    std::vector<ImageSource> sources;
    std::vector<Tile> tiles;
    const float tint[4] = {0.8f, 0.8f, 0.8f, 1};
    const ColourFactor factor(tint, false);
    sizes.Start();
    for (unsigned int m = 0; m < scene.mNumMaterials; ++m)
    {
        aiString name;
        int width = 0, height = 0;
        std::string why;
        if (scene.mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &name) != AI_SUCCESS)
            continue;
        sources.emplace_back(scene, fs::path(model).parent_path(), name.C_Str());
        if (!sources.back().ReadSize(width, height, why))
        {
            std::printf("%s: %s\n", name.C_Str(), why.c_str());
            return false;
        }
        tiles.push_back({TilePacker::SideFor(width, height)});
    }
    sizes.Stop();
    std::uint32_t width = 0, height = 0;
    packing.Start();
    const bool packed = TilePacker::Pack(tiles, width, height);
    packing.Stop();
    TextureAtlas atlas;
    allocating.Start();
    const bool allocated = packed && atlas.Allocate(width, height);
    allocating.Stop();
    if (!allocated)
    {
        std::printf("no atlas for %zu tiles\n", tiles.size());
        return false;
    }
    for (std::size_t i = 0; i < sources.size(); ++i)
    {
        Image image;
        std::string why;
        decoding.Start();
        const bool decoded = sources[i].Decode(image, why);
        decoding.Stop();
        Stopwatch& filling = image.width == int(tiles[i].side) ? copying : scaling;
        filling.Start();
        const bool placed = decoded && atlas.Place(image, tiles[i], factor);
        filling.Stop();
        if (!placed)
        {
            std::printf("%s: %s\n", sources[i].Name().c_str(), why.c_str());
            return false;
        }
    }
    levels.Start();
    atlas.MakeSmallerLevels();
    levels.Stop();
    OutputFile texture(folder + "/model.dds");
    std::string error;
    writing.Start();
    const bool wrote = texture.Open(error) && texture.Close(DdsWriter::Write(texture.Stream(), atlas.Levels()), error) &&
                       texture.Commit(error);
    writing.Stop();
    if (!wrote)
    {
        std::printf("writing the texture failed: %s\n", error.c_str());
        return false;
    }
    int scaled = 0;
    for (const Tile& tile : tiles)
        scaled += tile.side != Side ? 1 : 0;
    std::printf("the same steps one by one (%zu tiles, %d of them scaled down):\n", tiles.size(), scaled);
    sizes.Print("sizes (read, header)");
    packing.Print("packing (TilePacker)");
    allocating.Print("atlas allocation");
    decoding.Print("decoding (read, PNG)");
    copying.Print("filling tiles, full");
    scaling.Print("filling tiles, halved");
    levels.Print("smaller levels");
    writing.Print("writing the DDS");
    std::printf("atlas: %u x %u, %u levels, texture %.1f MB\n", atlas.Width(), atlas.Height(),
                atlas.Levels().LevelCount(), static_cast<double>(fs::file_size(texture.Path())) / 1e6);
    return true;
}
