#pragma once
// What the converter's tests share: running vexelo-model, reading what it
// writes (the model through Engine's reader, the texture through the
// project's DDS reader and ImageMagick, sampled as Engine samples it), and
// writing the models and images they convert.
#include "ModelVertex.h"
#include "TempFolder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct Vec
{
    double x, y, z;
};
inline Vec operator-(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline Vec At(const ModelVertex& v) { return {v.x, v.y, v.z}; }
inline Vec NormalOf(const ModelVertex& v) { return {v.nx, v.ny, v.nz}; }

// Where things are: the converter under test, the tests' own data, Engine's.
// (Compiled into one file alone, so that the others compile alike in any
// checkout.)
const char* VexeloModel();
std::string TestData(const std::string& name);
std::string EngineData(const std::string& name);
// An image ImageMagick wrote at build time (tests/converter/CMakeLists.txt).
std::string MagickTexture(const std::string& name);

std::string Read(const std::string& path);
void Write(const std::string& path, const std::string& bytes);
// The names in folder, sorted.
std::vector<std::string> Names(const std::string& folder);

struct Outcome
{
    int code; // a crash or a hang ends with something else than 0, 1 or 2
    std::string out, err;
};

// vexelo-model with arguments, killed after seconds; scratch is a folder
// whose neighbours may take its output.
Outcome Convert(const std::string& scratch, const std::vector<std::string>& arguments, int seconds = 20);
// The triangle count the summary gives, -1 without one.
long long Triangles(const Outcome& run);
// The model through Engine's reader; empty when it refuses it.
std::vector<ModelVertex> ReadModel(const std::string& path);
// Bounding-box centre; largest extent in extent.
Vec Centre(const ModelVertex* vertices, std::size_t count, double& extent);

// The box (1, 1, 1) to (3, 5, 2) as OBJ writes it: right-handed, faces
// counter-clockwise seen from outside, v from the bottom of the image. The
// texture coordinates depend on all three coordinates, so a mirror shows.
extern const int Signs[8][3];
extern const int Quads[6][4];
double U(const Vec& p);
double V(const Vec& p);
Vec BoxCorner(const int* s);
std::string ObjBox(bool normals, const std::string& extra = "");

// glTF: mesh 0 the -1..1 cube of shared vertices and no normals, mesh 1 one
// triangle repeated, mesh 2 the cube with each face's normal; the nodes (JSON)
// place them.
void WriteGltf(const TempFolder& folder, int repeats, const std::string& nodes, const std::string& roots);

using Texel = std::array<int, 4>;

// The texture as the project's DDS reader lays it out, every level.
struct Texture
{
    std::uint32_t width = 0, height = 0;
    std::vector<std::string> levels;

    Texel At(std::uint32_t level, std::uint32_t x, std::uint32_t y) const
    {
        const std::uint32_t w = std::max(1u, width >> level);
        const char* t = levels[level].data() + 4 * (std::size_t(y) * w + x);
        return {std::uint8_t(t[0]), std::uint8_t(t[1]), std::uint8_t(t[2]), std::uint8_t(t[3])};
    }
    // As Engine's sampler reads it (D3D11_FILTER_MIN_MAG_MIP_LINEAR,
    // D3D11_TEXTURE_ADDRESS_WRAP), by the rules Direct3D publishes: on a
    // level, texel centres at half-integers and the four texels around
    // (u * width - 1/2, v * height - 1/2) weighed by their distance, their
    // addresses wrapped; a level of detail between two levels blends them
    // linearly, clamped to the chain. 0 to 255.
    std::array<double, 4> Sample(double u, double v, double lod) const
    {
        lod = std::clamp(lod, 0.0, double(levels.size() - 1));
        const auto level = std::uint32_t(lod);
        std::array<double, 4> sum{}, next = lod > level ? Sample(u, v, level + 1.0) : sum;
        const std::int64_t w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        const double x = u * w - 0.5, y = v * h - 0.5, fx = x - std::floor(x), fy = y - std::floor(y);
        for (int corner = 0; corner < 4; ++corner)
        {
            const int i = corner % 2, j = corner / 2;
            const Texel texel = At(level, std::uint32_t(((std::int64_t(std::floor(x)) + i) % w + w) % w),
                                   std::uint32_t(((std::int64_t(std::floor(y)) + j) % h + h) % h));
            for (int c = 0; c < 4; ++c)
                sum[c] += (i ? fx : 1 - fx) * (j ? fy : 1 - fy) * texel[c];
        }
        for (int c = 0; c < 4; ++c)
            sum[c] += (lod - level) * (next[c] - sum[c]);
        return sum;
    }
};

// The standard output of a shell command; empty if it fails.
std::string Shell(const std::string& command);
// The texture at path; empty when the project's DDS reader refuses it or it
// is not a full chain of R8G8B8A8. Unless told otherwise, ImageMagick must
// read the same top level.
Texture ReadTexture(const std::string& path, bool alsoByImageMagick = true);

// Two quads, x < 0 with material left, x > 0 with right; texture
// coordinates from low to high when asked for.
std::string TwoQuadsObj(bool coordinates = false, int low = 0, int high = 1);

void MagickImage(const TempFolder& f, const std::string& name, const std::string& drawing);
// A square image of texel(x, y), rows from the top, as ImageMagick writes it
// in format (with any options before it).
using TexelOf = Texel (*)(int x, int y);
void PngOf(const TempFolder& f, const std::string& name, int side, TexelOf texel, const std::string& format = "png24");

// glTF: a quad for each side (left from x = -2 to -1, right from 1 to 2, y
// from 0 to 1) with its material (JSON), texture coordinates over its image
// (u = x less its left edge, v = 1 - y: glTF's v runs from the top; a second
// channel has them mirrored), linear vertex colours (RGB at four corners), or
// its first triangle alone.
struct GltfSide
{
    std::string material;
    bool coordinates = false;
    std::vector<float> colours = {};
    int triangles = 2;
};
void WriteGltfSides(const TempFolder& f, const std::vector<GltfSide>& sides, const std::string& extra = "");

// Binary PLY of count triangles, each corner with its position and colour.
using CornerOf = void (*)(std::size_t triangle, int corner, float position[3], std::uint8_t rgb[3]);
void WritePly(const TempFolder& f, std::size_t count, CornerOf corner);
