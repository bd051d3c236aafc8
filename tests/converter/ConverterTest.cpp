// vexelo-model as a user runs it: Engine's conventions by the rule the shipped
// cube follows, materials baked into one texture, failures and interruptions
// that leave the output alone, the writer's round trip through Engine's
// reader, and Debian's Assimp test models.
#include "DdsFile.h"
#include "Sanitizers.h"
#include "ModelFileReader.h"
#include "ModelFileWriter.h"
#include "PositionIndex.h"
#include "TempFolder.h"
#include "TextureAtlas.h"
#include "TilePacker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <random>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace
{
struct Vec
{
    double x, y, z;
};
Vec operator-(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec At(const ModelVertex& v) { return {v.x, v.y, v.z}; }
Vec NormalOf(const ModelVertex& v) { return {v.nx, v.ny, v.nz}; }

std::string Read(const std::string& path) { return TempFolder::ReadBytes(path); }
void Write(const std::string& path, const std::string& bytes) { TempFolder::WriteBytes(path, bytes); }

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Outcome
{
    int code; // a crash or a hang ends with something else than 0, 1 or 2
    std::string out, err;
};

Outcome Convert(const std::string& scratch, const std::vector<std::string>& arguments, int seconds = 20)
{
    std::string command = "timeout -s KILL " + std::to_string(seconds) + " " VEXELO_MODEL;
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    const std::string out = scratch + ".out", err = scratch + ".err"; // beside the folder, not in it
    const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
    Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(out), Read(err)};
    fs::remove(out);
    fs::remove(err);
    return run;
}

long long Triangles(const Outcome& run)
{
    std::smatch count;
    return std::regex_search(run.out, count, std::regex(" ([0-9]+) triangles?, ")) ? std::stoll(count[1]) : -1;
}

std::vector<ModelVertex> ReadModel(const std::string& path)
{
    int count = 0;
    ModelVertex* list = nullptr;
    if (!ModelFileReader::ReadFile(path.c_str(), count, list))
        return {};
    std::vector<ModelVertex> vertices(list, list + count);
    delete[] list;
    return vertices;
}

// Bounding-box centre; largest extent in extent.
Vec Centre(const ModelVertex* vertices, std::size_t count, double& extent)
{
    Vec low{1e30, 1e30, 1e30}, high{-1e30, -1e30, -1e30};
    for (std::size_t i = 0; i < count; ++i)
    {
        const Vec p = At(vertices[i]);
        low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
    }
    extent = std::fmax(high.x - low.x, std::fmax(high.y - low.y, high.z - low.z));
    return {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
}

// The rule cube.txt follows, around the centre of a convex part: each
// triangle's (b - a) x (c - a) and its normals point away from the centre.
// Left-handed, that is clockwise seen from outside: the faces Engine draws.
void ExpectOutwardFrontFaces(const ModelVertex* part, std::size_t count, const Vec& centre)
{
    for (std::size_t t = 0; t < count; t += 3)
    {
        const Vec a = At(part[t]), b = At(part[t + 1]), c = At(part[t + 2]);
        const Vec middle{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
        EXPECT_GT(Dot(Cross(b - a, c - a), middle - centre), 0) << "triangle " << t / 3;
        for (std::size_t k = t; k < t + 3; ++k)
            EXPECT_GT(Dot(NormalOf(part[k]), At(part[k]) - centre), 0) << "normal " << k;
    }
}

// Smooth: a box's corner meets three faces at right angles, so its normal
// leans equally towards each. Flat (and a box's own): the face's normal.
void ExpectBoxNormals(const ModelVertex* part, std::size_t count, const Vec& centre, bool smooth)
{
    for (std::size_t k = 0; k < count; ++k)
    {
        const Vec p = At(part[k]) - centre, n = NormalOf(part[k]);
        const std::size_t t = k - k % 3;
        Vec e = Cross(At(part[t + 1]) - At(part[t]), At(part[t + 2]) - At(part[t]));
        if (smooth)
            e = {std::copysign(1.0, p.x), std::copysign(1.0, p.y), std::copysign(1.0, p.z)};
        const double length = std::sqrt(Dot(e, e));
        EXPECT_NEAR(std::fabs(n.x - e.x / length) + std::fabs(n.y - e.y / length) + std::fabs(n.z - e.z / length), 0, 1e-6)
            << "normal " << k;
    }
}

// The box (1, 1, 1) to (3, 5, 2) as OBJ writes it: right-handed, faces
// counter-clockwise seen from outside, v from the bottom of the image. The
// texture coordinates depend on all three coordinates, so a mirror shows.
const int Signs[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
const int Quads[6][4] = {{1, 4, 3, 2}, {5, 6, 7, 8}, {1, 2, 6, 5}, {3, 4, 8, 7}, {1, 5, 8, 4}, {2, 3, 7, 6}};
double U(const Vec& p) { return 0.1 + 0.1 * p.x + 0.05 * p.z; }
double V(const Vec& p) { return 0.05 * p.y + 0.1 * p.z; }

Vec BoxCorner(const int* s) { return {s[0] < 0 ? 1.0 : 3.0, s[1] < 0 ? 1.0 : 5.0, s[2] < 0 ? 1.0 : 2.0}; }

std::string ObjBox(bool normals, const std::string& extra = "")
{
    std::ostringstream text;
    for (const auto& s : Signs)
    {
        const Vec p = BoxCorner(s);
        text << "v " << p.x << ' ' << p.y << ' ' << p.z << "\nvt " << U(p) << ' ' << V(p) << '\n';
    }
    text << "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0\n";
    for (int f = 0; f < 6; ++f)
    {
        text << 'f';
        for (int corner : Quads[f])
            text << ' ' << corner << '/' << corner << (normals ? "/" + std::to_string(f + 1) : "");
        text << '\n';
    }
    return text.str() + extra;
}

// The box of ObjBox as ASCII STL files: box.stl as it is, twin.stl as turn puts it.
void StlTwins(const TempFolder& f, Vec (*turn)(const Vec&))
{
    for (const bool turned : {false, true})
    {
        std::ostringstream text;
        for (const auto& quad : Quads)
            for (int k : {1, 2})
            {
                text << "facet normal 0 0 0\nouter loop\n";
                for (const int corner : {quad[0], quad[k], quad[k + 1]})
                {
                    const Vec p = turned ? turn(BoxCorner(Signs[corner - 1])) : BoxCorner(Signs[corner - 1]);
                    text << "vertex " << p.x << ' ' << p.y << ' ' << p.z << '\n';
                }
                text << "endloop\nendfacet\n";
            }
        Write(f.Path(turned ? "twin.stl" : "box.stl"), "solid box\n" + text.str() + "endsolid box\n");
    }
}

// glTF: mesh 0 the -1..1 cube of shared vertices and no normals, mesh 1 one
// triangle repeated, mesh 2 the cube with each face's normal; the nodes (JSON)
// place them.
void WriteGltf(const TempFolder& folder, int repeats, const std::string& nodes, const std::string& roots)
{
    std::string bin;
    auto put = [&bin](auto value) { bin.append(reinterpret_cast<const char*>(&value), sizeof value); };
    for (const auto& s : Signs)
        for (int axis = 0; axis < 3; ++axis)
            put(static_cast<float>(s[axis]));
    for (const auto& quad : Quads)
        for (int k : {0, 1, 2, 0, 2, 3})
            put(static_cast<std::uint16_t>(quad[k] - 1));
    for (bool normals : {false, true}) // a face's normal: the mean of its corners
        for (const auto& quad : Quads)
            for (int k : {0, 1, 2, 0, 2, 3})
                for (int axis = 0; axis < 3; ++axis)
                    put(normals ? (Signs[quad[0] - 1][axis] + Signs[quad[1] - 1][axis] + Signs[quad[2] - 1][axis] + Signs[quad[3] - 1][axis]) / 4.0f
                                : static_cast<float>(Signs[quad[k] - 1][axis]));
    for (int i = 0; i < 3 * repeats; ++i)
        put(static_cast<std::uint16_t>(i % 3));
    Write(folder.Path("scene.bin"), bin);
    const std::string mesh = R"({"primitives":[{"attributes":{"POSITION":0},"indices":)", index = R"(,"componentType":5123,"type":"SCALAR","count":)",
                      vec3 = R"(,"componentType":5126,"type":"VEC3","count":)", cube = R"(,"min":[-1,-1,-1],"max":[1,1,1]},)";
    auto view = [](int offset, int length) { return R"({"buffer":0,"byteOffset":)" + std::to_string(offset) + R"(,"byteLength":)" + std::to_string(length) + "}"; };
    Write(folder.Path("scene.gltf"), R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[)" + roots + R"(]}],"nodes":[)" + nodes +
              R"(],"meshes":[)" + mesh + "1}]}," + mesh + R"(2}]},{"primitives":[{"attributes":{"POSITION":3,"NORMAL":4}}]}],)"
              R"("buffers":[{"uri":"scene.bin","byteLength":)" + std::to_string(bin.size()) + R"(}],"bufferViews":[)" + view(0, 96) + "," +
              view(96, 72) + "," + view(1032, 6 * repeats) + "," + view(168, 432) + "," + view(600, 432) + R"(],"accessors":[{"bufferView":0)" +
              vec3 + "8" + cube + R"({"bufferView":1)" + index + R"(36},{"bufferView":2)" + index + std::to_string(3 * repeats) +
              R"(},{"bufferView":3)" + vec3 + "36" + cube + R"({"bufferView":4)" + vec3 + "36}]}");
}

void TwoCubes(const TempFolder& f)
{
    WriteGltf(f, 1, R"({"mesh":0,"translation":[3,0,4]},{"translation":[0,2,0],"children":[2]},)"
                    R"({"mesh":0,"translation":[-3,0,0],"scale":[-1,1,1]})", "0,1");
}

// Cube meshes 2, 2 and 0: turned, then stretched along y (the faces no longer
// meet square); stretched unevenly, mirrored and turned; as the first.
void TurnedStretchedMirrored(const TempFolder& f)
{
    const std::string turn = R"("rotation":[0,0,0.38268343,0.92387953]})"; // 45 degrees about z
    WriteGltf(f, 1, R"({"translation":[0,0,5],"scale":[1,3,1],"children":[1]},{"mesh":2,)" + turn +
                        R"(,{"mesh":2,"translation":[5,0,0],"scale":[-1,2,1],)" + turn +
                        R"(,{"translation":[0,6,0],"scale":[1,3,1],"children":[4]},{"mesh":0,)" + turn, "0,2,3");
}

struct ConventionCase
{
    const char* name;
    void (*writeInput)(const TempFolder&);
    std::string input;
    std::vector<std::string> options;
    const char* normals; // as the summary says
    std::vector<Vec> keptCentres; // with --keep-size: each part's centre, parts in file order; else fitted
    const char* twin = nullptr; // a file that with --keep-size alone gives the same vertices
    const char* turned = ""; // the up axis the summary says the model was turned from
};

const ConventionCase ConventionCases[] = {
    {"OBJ box with its own normals, texture coordinates and image",
     [](const TempFolder& f) {
         Write(f.Path("box.obj"), "mtllib box.mtl\nusemtl skin\n" + ObjBox(true));
         Write(f.Path("box.mtl"), "newmtl skin\nmap_Kd skin.png\n");
         ASSERT_EQ(std::system(("convert -size 2x2 xc:red 'png:" + f.Path("skin.png").string() + "'").c_str()), 0);
     },
     "box.obj", {"--keep-size"}, "normals from the file", {{2, 3, -1.5}}},
    // For an image of the user's own: a colour's tile would take them all.
    {"OBJ box of one colour, its texture coordinates kept, no texture baked, an earlier one left",
     [](const TempFolder& f) {
         Write(f.Path("box.obj"), "mtllib box.mtl\nusemtl red\n" + ObjBox(true));
         Write(f.Path("box.mtl"), "newmtl red\nKd 1 0 0\n");
         Write(f.Path("model.dds"), "earlier");
     },
     "box.obj", {"--keep-size", "--keep-coordinates"}, "normals from the file; texture coordinates as they are, no texture baked",
     {{2, 3, -1.5}}},
    {"OBJ box with a line and a point, fitted",
     [](const TempFolder& f) { Write(f.Path("box.obj"), ObjBox(false, "l 1 7\np 2\n")); }, "box.obj", {},
     "normals generated (smooth)", {}},
    {"OBJ box, flat normals", [](const TempFolder& f) { Write(f.Path("box.obj"), ObjBox(false)); }, "box.obj",
     {"--flat-normals"}, "normals generated (flat)", {}},
    {"glTF cube of shared vertices placed by nested nodes, once mirrored", TwoCubes, "scene.gltf", {"--keep-size"},
     "normals generated (smooth)", {{3, 0, -4}, {-3, 2, 0}}},
    // A file with z up is the y-up one turned back: (x, y, z) -> (x, z, -y).
    {"STL box with z up", [](const TempFolder& f) { StlTwins(f, [](const Vec& p) { return Vec{p.x, p.z, -p.y}; }); },
     "box.stl", {"--keep-size", "--up", "z"}, "normals from the file", {{2, 1.5, 3}}, "twin.stl", "z"},
    {"STL box with -x up", [](const TempFolder& f) { StlTwins(f, [](const Vec& p) { return Vec{p.y, -p.x, p.z}; }); },
     "box.stl", {"--keep-size", "--up", "-x"}, "normals from the file", {{3, -2, -1.5}}, "twin.stl", "-x"},
    {"glTF cubes turned, stretched unevenly and mirrored", TurnedStretchedMirrored, "scene.gltf", {"--keep-size", "--flat-normals"},
     "normals generated (flat) for 1 of 3 meshes", {{0, 0, -5}, {5, 0, 0}, {0, 6, 0}}},
    {"the same with z up", TurnedStretchedMirrored, "scene.gltf", {"--keep-size", "--flat-normals", "--up", "z"},
     "normals generated (flat) for 1 of 3 meshes", {{0, 5, 0}, {5, 0, 0}, {0, 0, 6}}, nullptr, "z"},
    // 3ds Max's box: 47.244 inches a side on z = 0, in metres by its node's
    // scale; Assimp 5.2 leaves out the node's 0.0001 shift along x.
    {"FBX box whose file records z up",
     [](const TempFolder& f) { fs::copy_file("/usr/share/assimp/models/FBX/embedded_ascii/box.FBX", f.Path("box.fbx")); },
     "box.fbx", {"--keep-size"}, "normals from the file", {{0, 0.6, 0}}, nullptr, "z"},
};
}

TEST(ConverterConventions, TheShippedCubeFollowsTheRuleAndItsFacingTrianglesRunClockwiseOnScreen)
{
    const std::vector<ModelVertex> cube = ReadModel(ENGINE_DATA_DIR "/cube.txt");
    ASSERT_EQ(cube.size(), 36u);
    ExpectOutwardFrontFaces(cube.data(), cube.size(), {0, 0, 0});
    // Seen from the camera at (0, 0, -5), x to the right and y up.
    for (std::size_t t = 0; t < cube.size(); t += 3)
    {
        if (cube[t].nz < 0)
        {
            EXPECT_LT(Cross(At(cube[t + 1]) - At(cube[t]), At(cube[t + 2]) - At(cube[t])).z, 0) << "triangle " << t / 3;
        }
    }
}

// Smooth normals sum over the corners at one point: one point for equal
// bits, -0 and 0 alike. Points are numbered in the order they first come,
// also after the index outgrows the room it was made with.
TEST(ConverterConventions, CornersMeetWhereTheirPositionsHaveTheSameBits)
{
    std::mt19937 random(11);
    std::vector<ModelVertex> pool(30000);
    for (ModelVertex& v : pool)
        v.x = float(random() % 100), v.y = float(random() % 100) / 7, v.z = float(random() % 3) - 1;
    const auto bits = [](float value) {
        std::uint32_t b;
        std::memcpy(&b, &value, sizeof b);
        return b == 0x80000000u ? 0u : b;
    };
    std::map<std::array<std::uint32_t, 3>, std::uint32_t> first;
    PositionIndex index(16);
    for (int k = 0; k < 200000; ++k)
    {
        ModelVertex v = pool[random() % pool.size()];
        if (random() % 2 != 0)
            v.z = v.z == 0 ? -0.0f : v.z;
        const std::array<std::uint32_t, 3> key = {bits(v.x), bits(v.y), bits(v.z)};
        const std::uint32_t expected = first.emplace(key, static_cast<std::uint32_t>(first.size())).first->second;
        ASSERT_EQ(index.NumberOf(v), expected) << "corner " << k;
    }
    EXPECT_EQ(index.Count(), first.size());
}

TEST(ConverterConventions, ModelsComeOutInEngineConventions)
{
    for (const ConventionCase& row : ConventionCases)
    {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        row.writeInput(folder);
        std::vector<std::string> arguments = row.options;
        arguments.insert(arguments.end(), {folder.Path(row.input), folder.Path("model.txt")});
        const Outcome run = Convert(folder.Path(), arguments);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.out.find(row.normals), std::string::npos) << run.out;
        if (std::count(row.options.begin(), row.options.end(), "--keep-coordinates"))
        {
            EXPECT_EQ(Read(folder.Path("model.dds")), "earlier");
        }
        const std::vector<ModelVertex> model = ReadModel(folder.Path("model.txt"));
        ASSERT_EQ(model.size(), 36u * std::max<std::size_t>(1, row.keptCentres.size()));
        EXPECT_EQ(3 * Triangles(run), static_cast<long long>(model.size())) << run.out;
        const std::size_t turned = std::min(run.out.find(", turned: "), run.out.find("; texture "));
        EXPECT_EQ(run.out.substr(turned, run.out.find("; texture ") - turned),
                  *row.turned ? ", turned: " + std::string(row.turned) + " up" : "");
        if (row.twin != nullptr)
        {
            EXPECT_EQ(Convert(folder.Path(), {"--keep-size", folder.Path(row.twin), folder.Path("twin.txt")}).code, 0);
            const std::vector<ModelVertex> twin = ReadModel(folder.Path("twin.txt"));
            EXPECT_TRUE(std::equal(model.begin(), model.end(), twin.begin(), twin.end(), [](const ModelVertex& a, const ModelVertex& b) {
                const Vec p = At(a) - At(b), n = NormalOf(a) - NormalOf(b);
                return Dot(p, p) + Dot(n, n) < 1e-12;
            }));
        }

        double extent = 0;
        const Vec centre = Centre(model.data(), model.size(), extent);
        if (row.keptCentres.empty())
        {
            EXPECT_NEAR(std::fabs(centre.x) + std::fabs(centre.y) + std::fabs(centre.z) + std::fabs(extent - 2), 0, 1e-6);
        }
        const std::size_t parts = std::max<std::size_t>(1, row.keptCentres.size()), size = model.size() / parts;
        for (std::size_t part = 0; part < parts; ++part)
        {
            SCOPED_TRACE("part " + std::to_string(part));
            const ModelVertex* first = model.data() + part * size;
            const Vec partCentre = Centre(first, size, extent);
            if (!row.keptCentres.empty())
            {
                EXPECT_NEAR(Dot(partCentre - row.keptCentres[part], partCentre - row.keptCentres[part]), 0, 1e-12);
            }
            ExpectOutwardFrontFaces(first, size, partCentre);
            ExpectBoxNormals(first, size, partCentre, std::strstr(row.normals, "smooth") != nullptr);
        }
        // Mirrored back to the file's z, each vertex has the file's u and v from the top.
        for (std::size_t k = 0; row.input == "box.obj" && !row.keptCentres.empty() && k < model.size(); ++k)
        {
            const Vec source{model[k].x, model[k].y, -model[k].z};
            EXPECT_NEAR(std::fabs(model[k].tu - U(source)) + std::fabs(model[k].tv - (1 - V(source))), 0, 1e-6);
        }
    }
}

namespace
{
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

std::string Shell(const std::string& command)
{
    const std::string out = fs::temp_directory_path() / ("vexelo-shell-" + std::to_string(getpid()));
    const int status = std::system((command + " >'" + out + "'").c_str());
    std::string text = status == 0 ? Read(out) : "";
    fs::remove(out);
    return text;
}

Texture ReadTexture(const std::string& path, bool alsoByImageMagick = true)
{
    const std::string bytes = Read(path);
    DdsFile dds;
    Texture texture;
    if (!dds.Parse(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) || dds.Format() != 28 ||
        dds.ArraySize() != 1 || dds.LevelCount() != DdsFile::FullChainLength(dds.Width(), dds.Height()))
        return texture;
    texture.width = dds.Width();
    texture.height = dds.Height();
    for (std::uint32_t level = 0; level < dds.LevelCount(); ++level)
        texture.levels.push_back(bytes.substr(dds.LevelOffset(0, level), dds.Level(level).size));
    // ImageMagick, which shares nothing with us, reads the same top level.
    // Version 6 takes every 32-bit DDS as blue, green, red, alpha whatever
    // the masks say; swapped back here.
    if (!alsoByImageMagick)
        return texture;
    std::string magick = Shell("convert '" + path + "' -depth 8 rgba:-");
    for (std::size_t i = 0; i + 3 < magick.size(); i += 4)
        std::swap(magick[i], magick[i + 2]);
    EXPECT_EQ(magick, texture.levels[0]) << "ImageMagick reads another top level";
    return texture;
}

// Two quads, x < 0 with material left, x > 0 with right; texture
// coordinates from low to high when asked for.
std::string TwoQuadsObj(bool coordinates = false, int low = 0, int high = 1)
{
    std::ostringstream text;
    text << "mtllib two.mtl\nv -2 0 0\nv -1 0 0\nv -1 1 0\nv -2 1 0\nv 1 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\n";
    if (coordinates)
        text << "vt " << low << ' ' << low << "\nvt " << high << ' ' << low << "\nvt " << high << ' ' << high << "\nvt "
             << low << ' ' << high << '\n';
    const char* corners[2] = {coordinates ? "/1 2/2 3/3 4/4" : " 2 3 4", coordinates ? "/1 6/2 7/3 8/4" : " 6 7 8"};
    text << "usemtl left\nf 1" << corners[0] << "\nusemtl right\nf 5" << corners[1] << '\n';
    return text.str();
}

const char* const RightBlue = "newmtl right\nKd 0 0 1\n";

void MagickImage(const TempFolder& f, const std::string& name, const std::string& drawing)
{
    ASSERT_EQ(std::system(("convert " + drawing + " -depth 8 'png24:" + f.Path(name).string() + "'").c_str()), 0);
}

// A square image of texel(x, y), rows from the top, as ImageMagick writes it.
using TexelOf = Texel (*)(int x, int y);
void PngOf(const TempFolder& f, const std::string& name, int side, TexelOf texel)
{
    std::string texels;
    for (int i = 0; i < side * side; ++i)
        texels += {char(texel(i % side, i / side)[0]), char(texel(i % side, i / side)[1]), char(texel(i % side, i / side)[2])};
    Write(f.Path("texels.rgb"), texels);
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    ASSERT_EQ(std::system(("cd '" + f.Path().string() + "' && convert -size " + size + " -depth 8 rgb:texels.rgb png24:" + name).c_str()), 0);
}

// glTF: a quad for each side (left from x = -2 to -1, right from 1 to 2, y
// from 0 to 1) with its material (JSON), texture coordinates over its image
// (u = x less its left edge, v = 1 - y: glTF's v runs from the top), linear
// vertex colours (RGB at four corners), or its first triangle alone.
struct GltfSide
{
    std::string material;
    bool coordinates = false;
    std::vector<float> colours = {};
    int triangles = 2;
};

void WriteGltfSides(const TempFolder& f, const std::vector<GltfSide>& sides, const std::string& extra = "")
{
    std::string bin, views, accessors, meshes, materials;
    int count = 0, materialCount = 0;
    const auto add = [&](const void* data, std::size_t bytes, const std::string& accessor) {
        const std::string n = std::to_string(count), sep = count++ ? "," : "";
        views += sep + R"({"buffer":0,"byteOffset":)" + std::to_string(bin.size()) + R"(,"byteLength":)" + std::to_string(bytes) + "}";
        accessors += sep + R"({"bufferView":)" + n + R"(,"componentType":)" + accessor + "}";
        bin.append(static_cast<const char*>(data), bytes).append((4 - bytes % 4) % 4, '\0');
        return n;
    };
    for (std::size_t s = 0; s < sides.size(); ++s)
    {
        const float x0 = s == 0 ? -2.0f : 1.0f;
        const float positions[] = {x0, 0, 0, x0, 1, 0, x0 + 1, 0, 0, x0 + 1, 1, 0}, coordinates[] = {0, 1, 0, 0, 1, 1, 1, 0};
        const std::uint16_t indices[] = {0, 2, 1, 1, 2, 3};
        std::string mesh = R"({"primitives":[{"attributes":{"POSITION":)" +
                           add(positions, 48, "5126,\"type\":\"VEC3\",\"count\":4,\"min\":[" + std::to_string(x0) + ",0,0],\"max\":[" + std::to_string(x0 + 1) + ",1,0]");
        if (sides[s].coordinates)
            mesh += R"(,"TEXCOORD_0":)" + add(coordinates, 32, R"(5126,"type":"VEC2","count":4)");
        if (!sides[s].colours.empty())
            mesh += R"(,"COLOR_0":)" + add(sides[s].colours.data(), 48, R"(5126,"type":"VEC3","count":4)");
        mesh += R"(},"indices":)" + add(indices, 6u * sides[s].triangles, R"(5123,"type":"SCALAR","count":)" + std::to_string(3 * sides[s].triangles));
        if (!sides[s].material.empty())
        {
            mesh += R"(,"material":)" + std::to_string(materialCount);
            materials += (materialCount++ ? "," : "") + sides[s].material;
        }
        meshes += (s ? "," : "") + mesh + "}]}";
    }
    Write(f.Path("m.bin"), bin);
    Write(f.Path("m.gltf"), R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0)" + std::string(sides.size() > 1 ? ",1" : "") +
                                R"(]}],"nodes":[{"mesh":0})" + (sides.size() > 1 ? R"(,{"mesh":1})" : "") + R"(],"meshes":[)" + meshes + "]" +
                                (materials.empty() ? "" : R"(,"materials":[)" + materials + "]") + extra +
                                R"(,"buffers":[{"uri":"m.bin","byteLength":)" + std::to_string(bin.size()) + R"(}],"bufferViews":[)" +
                                views + R"(],"accessors":[)" + accessors + "]}");
}

// Binary PLY of count triangles, each corner with its position and colour.
using CornerOf = void (*)(std::size_t triangle, int corner, float position[3], std::uint8_t rgb[3]);
void WritePly(const TempFolder& f, std::size_t count, CornerOf corner)
{
    std::string ply = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(3 * count) +
                      "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\nproperty uchar green\n"
                      "property uchar blue\nelement face " + std::to_string(count) + "\nproperty list uchar int vertex_indices\nend_header\n";
    float position[3];
    std::uint8_t rgb[3];
    for (std::size_t k = 0; k < 3 * count; ++k)
    {
        corner(k / 3, int(k % 3), position, rgb);
        ply.append(reinterpret_cast<const char*>(position), 12).append(reinterpret_cast<const char*>(rgb), 3);
    }
    for (std::int32_t k = 0; k < std::int32_t(3 * count); k += 3)
    {
        const std::int32_t face[3] = {k, k + 1, k + 2};
        ply.append(1, '\3').append(reinterpret_cast<const char*>(face), 12);
    }
    Write(f.Path("m.ply"), ply);
}

// What a triangle shows: a colour tile (4 x 4 of one colour); a palette
// texel within step of a colour; or an image, side x side texels (after the
// material's colour), on a tile of tileSide.
struct Look
{
    Look(int r = 0, int g = 0, int b = 0, int a = 255, int step = 0) : colour{r, g, b, a}, step(step) {}
    Look(TexelOf image, int side, std::uint32_t tileSide) : image(image), side(side), tileSide(tileSide) {}

    Texel colour = {};
    int step = 0;
    TexelOf image = nullptr;
    int side = 0;
    std::uint32_t tileSide = 0;
};

// The lowest and highest of each channel among the image's texels that a
// sample at (u, v) of the image may take from. Bilinear on level L, it reads
// texels whose centres lie within one of its own, 1.5 x 2^L top-level texels,
// and the blend reaches level L + 1; an image scaled into its tile also
// takes from the filter's reach, two texels of the smaller image.
std::array<Texel, 2> Reachable(const Look& look, double u, double v, double lod, double regionSide)
{
    const double scale = look.side / regionSide, scaled = std::lround(regionSide) == look.side ? 0 : 2 * std::max(1.0, scale);
    const double reach = 1.5 * std::exp2(std::ceil(lod)) * scale + scaled;
    const auto index = [&](double at) { return std::clamp(int(std::floor(at * look.side)), 0, look.side - 1); };
    std::array<Texel, 2> range = {Texel{255, 255, 255, 255}, Texel{0, 0, 0, 255}};
    for (int y = index(v - reach / look.side); y <= index(v + reach / look.side); ++y)
        for (int x = index(u - reach / look.side); x <= index(u + reach / look.side); ++x)
            for (int c = 0; c < 3; ++c)
            {
                range[0][c] = std::min(range[0][c], look.image(x, y)[c]);
                range[1][c] = std::max(range[1][c], look.image(x, y)[c]);
            }
    return range;
}

// Engine's sampler at a triangle's corners and centre. A colour tile gives
// its colour exactly on every level down to its 1 x 1 and between them; a
// palette texel its colour on the top level. An image tile, on every level
// where it is at least 16 texels wide and halfway to the next, gives what
// the image's texels around that spot may give, within one step: rounding
// against the hand calculation, and the scaling filter's overshoot, which
// these smooth images keep below it. Always opaque, so nothing of the
// texture's empty texels. An image's (u, v) at a point is x less its quad's
// left edge, and 1 - y. False after the first sample that fails.
bool ExpectShows(const ModelVertex* triangle, const Look& look, const Texture& texture)
{
    ModelVertex centre{};
    for (int k = 0; k < 3; ++k)
        for (float ModelVertex::*field : {&ModelVertex::x, &ModelVertex::y, &ModelVertex::tu, &ModelVertex::tv})
            centre.*field += triangle[k].*field / 3;
    const auto [low, high] = std::minmax({triangle[0].tu, triangle[1].tu, triangle[2].tu});
    const double lastLod = look.image ? std::log2(look.tileSide / 16.0) + 0.5 : look.step ? 0 : 2;
    for (const ModelVertex* point : {triangle, triangle + 1, triangle + 2, static_cast<const ModelVertex*>(&centre)})
        for (double lod = 0; lod <= lastLod; lod += 0.5)
        {
            const std::array<Texel, 2> range = look.image ? Reachable(look, point->x - (point->x < 0 ? -2 : 1), 1 - point->y, lod,
                                                                      (high - low) * texture.width)
                                                          : std::array<Texel, 2>{look.colour, look.colour};
            const double slack = look.image ? 1 : std::max(0, look.step - 1) + 1e-9;
            const std::array<double, 4> seen = texture.Sample(point->tu, point->tv, lod);
            for (int c = 0; c < 4; ++c)
                if (seen[c] < range[0][c] - slack || seen[c] > range[1][c] + slack)
                {
                    ADD_FAILURE() << "at (" << point->x << ", " << point->y << "), level of detail " << lod << ", channel " << c
                                  << ": " << seen[c] << ", not " << range[0][c] << " to " << range[1][c];
                    return false;
                }
        }
    return true;
}

// Smooth images, their blues far apart, each changing along both axes.
Texel Rising(int x, int y) { return {4 * x, 4 * y, 32, 255}; }
Texel Falling(int x, int y) { return {255 - 4 * y, 128, 200 + x / 2, 255}; }
Texel Mixed(int x, int y) { return {(8 * y + x) * 4, 255 - (8 * y + x) * 3, x * 30, 255}; }
// OliveNamed's image, (10, 200, 30), times its colour.
Texel Olive(int, int) { return {10, 100, 30, 255}; }

// Its corners are its colour less one red step, itself and one more: over
// 2^20 distinct means, more than a 1024 x 1024 palette holds; 7 bits a
// channel hold them (128 x 128 x 9), a step of 2.
Look PaletteLook(double x) { return {int(1 + std::size_t(x) % 254), int(std::size_t(x) / 254 % 256), int(std::size_t(x) / 254 / 256), 255, 2}; }

// A 4 x 4 olive image in Maps/ on the left quad, named as given, times the
// colour (1, 0.5, 1).
void OliveNamed(const TempFolder& f, const std::string& name)
{
    fs::create_directory(f.Path("Maps"));
    MagickImage(f, "Maps/olive.png", "-size 4x4 xc:'rgb(10,200,30)'");
    Write(f.Path("m.obj"), TwoQuadsObj(true));
    Write(f.Path("two.mtl"), "newmtl left\nKd 1 0.5 1\nmap_Kd " + name + "\n" + RightBlue);
}

struct MaterialCase
{
    const char* name;
    void (*writeInput)(const TempFolder&);
    const char* summary;
    Look left, right;
    const char* input = "m.obj";
    Look (*lookAt)(double x) = nullptr; // instead of left and right, by the triangle's centre
};

const MaterialCase MaterialCases[] = {
    {"two flat colours",
     [](const TempFolder& f) {
         Write(f.Path("m.obj"), TwoQuadsObj());
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\n" + std::string(RightBlue));
     },
     "2 tiles (2 colours)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    // Windows tools write backslashes, another case, paths from the root of
    // the drive the model was made on; Blender "//" for the file's folder.
    {"an image named the Windows way, in another case, times the colour",
     [](const TempFolder& f) { OliveNamed(f, ".\\maps\\OLIVE.png"); }, "2 tiles (1 image, 1 colour)",
     {Olive, 4, 16}, {0, 0, 255, 255}},
    {"an image named from the root, up a folder and down again",
     [](const TempFolder& f) { OliveNamed(f, "\\..\\" + f.Path().filename().string() + "\\maps\\OLIVE.png"); },
     "2 tiles (1 image, 1 colour)", {Olive, 4, 16}, {0, 0, 255, 255}},
    {"an image named from Blender's folder of the file", [](const TempFolder& f) { OliveNamed(f, "//Maps/olive.png"); },
     "2 tiles (1 image, 1 colour)", {Olive, 4, 16}, {0, 0, 255, 255}},
    {"an image repeated beside a colour gives its mean colour",
     [](const TempFolder& f) {
         MagickImage(f, "four.png", "-size 1x1 xc:red xc:blue +append \\( xc:white xc:black +append \\) -append");
         Write(f.Path("m.obj"), TwoQuadsObj(true, -1, 2));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 1 1\nmap_Kd four.png\n" + std::string(RightBlue));
     },
     "their image's mean colour for left (texture coordinates outside 0 to 1)", {128, 64, 128, 255}, {0, 0, 255, 255}},
    {"a missing and an unreadable image give way to the colour",
     [](const TempFolder& f) {
         Write(f.Path("junk.png"), "\x89PNG not really");
         Write(f.Path("m.obj"), TwoQuadsObj());
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\nmap_Kd gone.png\nnewmtl right\nKd 0 0 1\nmap_Kd junk.png\n");
     },
     "missing: gone.png; unreadable: junk.png (not an image the converter reads)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"two images edge to edge, their tiles on the texture's edges",
     [](const TempFolder& f) {
         PngOf(f, "rising.png", 64, Rising);
         PngOf(f, "falling.png", 64, Falling);
         Write(f.Path("m.obj"), TwoQuadsObj(true));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 1 1\nmap_Kd rising.png\nnewmtl right\nKd 1 1 1\nmap_Kd falling.png\n");
     },
     "128 x 64: 2 tiles (2 images)", {Rising, 64, 64}, {Falling, 64, 64}},
    // Assimp hands an image of a data URI over as one inside the file.
    {"glTF: an image inside the file beside a colour",
     [](const TempFolder& f) {
         PngOf(f, "i.png", 8, Mixed);
         const std::string png = Shell("base64 -w0 '" + f.Path("i.png").string() + "'");
         fs::remove(f.Path("i.png"));
         WriteGltfSides(f, {{R"({"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}})", true},
                            {R"({"pbrMetallicRoughness":{"baseColorFactor":[0,1,0,1]}})"}},
                        R"(,"textures":[{"source":0}],"images":[{"uri":"data:image/png;base64,)" + png + "\"}]");
     },
     "2 tiles (1 image, 1 colour)", {Mixed, 8, 16}, {0, 255, 0, 255}, "m.gltf"},
    // 2CylinderEngine.glb's Material_23 and Material_22, as glTF viewers show them.
    {"glTF: linear colour factors encoded for the screen",
     [](const TempFolder& f) {
         WriteGltfSides(f, {{R"({"pbrMetallicRoughness":{"baseColorFactor":[0,0.561,0.85,1]}})"},
                            {R"({"pbrMetallicRoughness":{"baseColorFactor":[0,0.425,0.425,1]}})"}});
     },
     "2 tiles (2 colours)", {0, 197, 237, 255}, {0, 174, 174, 255}, "m.gltf"},
    // (200, 100, 50) times (0.5, 1, 0.25) in linear light, encoded again;
    // (0.5, 0.2, 0.05) encoded.
    {"glTF: an image times its factor in linear light",
     [](const TempFolder& f) {
         MagickImage(f, "flat.png", "-size 4x4 xc:'rgb(200,100,50)'");
         WriteGltfSides(f, {{R"({"pbrMetallicRoughness":{"baseColorTexture":{"index":0},"baseColorFactor":[0.5,1,0.25,1]}})", true},
                            {R"({"pbrMetallicRoughness":{"baseColorFactor":[0.5,0.2,0.05,1]}})"}},
                        R"(,"textures":[{"source":0}],"images":[{"uri":"flat.png"}])");
     },
     "2 tiles (1 image, 1 colour)", {[](int, int) { return Texel{146, 100, 22, 255}; }, 4, 16}, {188, 124, 63, 255}, "m.gltf"},
    {"PLY vertex colours: each triangle the mean of its corners",
     [](const TempFolder& f) {
         WritePly(f, 2, [](std::size_t t, int k, float* p, std::uint8_t* rgb) {
             const std::uint8_t colours[2][3][3] = {{{255, 0, 0}, {255, 0, 0}, {0, 0, 255}}, {{30, 60, 90}, {60, 90, 120}, {90, 120, 150}}};
             std::copy(colours[t][k], colours[t][k] + 3, rgb);
             p[0] = (t == 0 ? -2.0f : 1.0f) + float(k == 1);
             p[1] = float(k == 2);
             p[2] = 0;
         });
     },
     "1 tile (vertex colours)", {170, 0, 85, 255, 1}, {60, 90, 120, 255, 1}, "m.ply"},
    {"glTF vertex colours: the mean of the corners in linear light, encoded",
     [](const TempFolder& f) { WriteGltfSides(f, {{"", false, {1, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0}, 1}}); },
     "1 mesh, 1 triangle, 3 vertices", {213, 0, 156, 255, 1}, {}, "m.gltf"},
    {"more vertex colours than the palette holds",
     [](const TempFolder& f) {
         WritePly(f, 1100000, [](std::size_t t, int k, float* p, std::uint8_t* rgb) {
             const Texel mean = PaletteLook(double(t)).colour;
             for (int c = 0; c < 3; ++c)
                 rgb[c] = std::uint8_t(mean[c] + (c == 0 ? k - 1 : 0));
             p[0] = float(t) + (k == 1 ? 0.5f : 0.0f);
             p[1] = float(k == 2);
             p[2] = float(k == 1);
         });
     },
     "1 tile (vertex colours)", {}, {}, "m.ply", PaletteLook},
};
}

TEST(ConverterMaterials, EachMaterialShowsInItsOwnTileAtEveryLevel)
{
    for (const MaterialCase& row : MaterialCases)
    {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        row.writeInput(folder);
        const Outcome run = Convert(folder.Path(), {"--keep-size", "--flat-normals", folder.Path(row.input), folder.Path("m.txt")}, 120);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.out.find("; texture " + folder.Path("m.dds").string() + ", "), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(row.summary), std::string::npos) << run.out;
        const std::vector<ModelVertex> model = ReadModel(folder.Path("m.txt"));
        const Texture texture = ReadTexture(folder.Path("m.dds"));
        ASSERT_FALSE(model.empty() || texture.levels.empty());
        for (std::size_t t = 0; t < model.size(); t += 3)
        {
            const double x = (double(model[t].x) + model[t + 1].x + model[t + 2].x) / 3;
            if (!ExpectShows(&model[t], row.lookAt ? row.lookAt(x) : x < 0 ? row.left : row.right, texture))
                break;
        }
    }
}

// An image twice its room shrunk into its tile: each texel the mean of the
// 2 x 2 block it covers, times the material's colour, opaque; the margin
// (one texel for a tile of 16) repeats the edge texels outward.
TEST(ConverterMaterials, AnImageLargerThanItsTileIsAveraged)
{
    Image image;
    image.width = image.height = 28;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x)
            image.rgba.insert(image.rgba.end(), {std::uint8_t(8 * x), std::uint8_t(255 - 8 * y), std::uint8_t((x + y) % 2 * 200), 7});
    std::vector<Tile> tiles = {{16}, {4}, {4}};
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
    TextureAtlas atlas;
    ASSERT_TRUE(atlas.Allocate(width, height));
    const float half[4] = {0.5f, 1, 1, 1};
    ASSERT_TRUE(atlas.Place(image, tiles[0], ColourFactor(half, false)));
    for (std::uint32_t y = 0; y < 16; ++y)
        for (std::uint32_t x = 0; x < 16; ++x)
        {
            const int i = std::clamp(int(x) - 1, 0, 13), j = std::clamp(int(y) - 1, 0, 13); // the block
            const std::uint8_t* texel = atlas.Levels().Data(0) + (tiles[0].y + y) * atlas.Levels().Level(0).rowPitch + 4 * (tiles[0].x + x);
            EXPECT_EQ((Texel{texel[0], texel[1], texel[2], texel[3]}), (Texel{8 * i + 2, 251 - 16 * j, 100, 255})) << x << ", " << y;
        }
}

// Power-of-two squares, largest first along a Z-order curve: each inside the
// atlas, at a multiple of its side, none over another, and no more than half
// the atlas left empty; too much for 4096 x 4096 is shrunk, largest first.
TEST(ConverterMaterials, TilesPackAlignedWithoutOverlap)
{
    const std::vector<std::vector<std::uint32_t>> cases = {
        {4}, {4, 4}, {256, 4, 4, 4}, {1, 2, 4, 8, 16, 32, 64, 128, 256, 512}, {64, 64, 64, 64, 64}, std::vector<std::uint32_t>(32, 1024)};
    std::mt19937 random(7);
    std::vector<std::vector<std::uint32_t>> all = cases;
    for (int r = 0; r < 50; ++r)
    {
        std::vector<std::uint32_t> sides(1 + random() % 40);
        for (std::uint32_t& side : sides)
            side = 1u << (random() % 9);
        all.push_back(sides);
    }
    for (const std::vector<std::uint32_t>& sides : all)
    {
        std::vector<Tile> tiles;
        std::uint64_t area = 0;
        for (std::uint32_t side : sides)
        {
            tiles.push_back({side});
            area += std::uint64_t(side) * side;
        }
        std::uint32_t width = 0, height = 0;
        ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
        ASSERT_TRUE(width <= 4096 && (width & (width - 1)) == 0 && (height == width || height * 2 == width));
        std::vector<bool> taken(std::size_t(width) * height);
        std::uint64_t packed = 0;
        for (const Tile& tile : tiles)
        {
            ASSERT_EQ(tile.x % tile.side + tile.y % tile.side, 0u);
            ASSERT_TRUE(tile.x + tile.side <= width && tile.y + tile.side <= height);
            for (std::uint32_t y = tile.y; y < tile.y + tile.side; ++y)
                for (std::uint32_t x = tile.x; x < tile.x + tile.side; ++x)
                {
                    ASSERT_FALSE(taken[std::size_t(y) * width + x]) << "overlap at " << x << ", " << y;
                    taken[std::size_t(y) * width + x] = true;
                }
            packed += std::uint64_t(tile.side) * tile.side;
        }
        if (area <= 4096u * 4096u)
        {
            EXPECT_EQ(packed, area) << "shrunk although it fitted";
        }
        EXPECT_LT(std::uint64_t(width) * height, 2 * packed + 1);
    }
    // 32 images of 1024 x 1024 are twice the atlas: ten keep their size.
    std::vector<Tile> tiles(32, Tile{1024});
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
    EXPECT_EQ(std::count_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.side == 1024; }), 10);
    EXPECT_EQ(std::count_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.side == 512; }), 22);
    std::vector<Tile> fixed(2, Tile{4096, 0, 0, false});
    EXPECT_FALSE(TilePacker::Pack(fixed, width, height));
}

namespace
{
struct FailureCase
{
    const char* name;
    void (*setUp)(const TempFolder&);
    std::vector<std::string> arguments; // "@" stands for the folder
    int code;
    std::string message; // how stderr starts
};

std::string InFolder(std::string text, const TempFolder& folder)
{
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1))
        text.replace(at, 1, folder.Path().string());
    return text;
}

void Box(const TempFolder& f) { Write(f.Path("box.obj"), ObjBox(true)); }

// 448 x 100000 triangles: 134400000 vertices, more than a 32-bit byte width
// holds of 32-byte vertices.
void OverTheVertexLimit(const TempFolder& f)
{
    std::string nodes, roots;
    for (int n = 0; n < 448; ++n)
    {
        nodes += std::string(n ? "," : "") + R"({"mesh":1})";
        roots += (n ? "," : "") + std::to_string(n);
    }
    WriteGltf(f, 100000, nodes, roots);
}

// Damaged copies of test models, found by the damaged-copies test below.
void CutShortPly(const TempFolder& f) { fs::copy_file(CONVERTER_TEST_DATA "/cut-short.ply", f.Path("cut-short.ply")); }

const FailureCase FailureCases[] = {
    {"no paths", Box, {}, 2, "vexelo-model: INPUT and OUTPUT are needed\nusage:"},
    {"a time limit in fractions", Box, {"--time-limit", "0.5", "@/box.obj", "@/out.txt"}, 2,
     "vexelo-model: --time-limit takes whole seconds, not 0.5\nusage:"},
    {"unknown option", Box, {"--fast", "@/box.obj", "@/out.txt"}, 2, "vexelo-model: unknown option --fast\nusage:"},
    {"unknown up axis", Box, {"--up", "zx", "@/box.obj", "@/out.txt"}, 2, "vexelo-model: unknown up axis zx\nusage:"},
    {"no up axis", Box, {"@/box.obj", "@/out.txt", "--up"}, 2, "vexelo-model: --up needs an axis\nusage:"},
    {"missing input", Box, {"@/missing.obj", "@/out.txt"}, 1,
     "vexelo-model: @/missing.obj: cannot import: No such file or directory\n"},
    {"text no importer reads", [](const TempFolder& f) { Write(f.Path("notes.txt"), "hello\n"); }, {"@/notes.txt", "@/out.txt"},
     1, "vexelo-model: @/notes.txt: cannot import: No suitable reader found"},
    {"lines and points only", [](const TempFolder& f) { Write(f.Path("l.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\np 1\n"); },
     {"@/l.obj", "@/out.txt"}, 1, "vexelo-model: @/l.obj: no triangles (only points, lines or nothing to draw)\n"},
    {"a position beyond float", [](const TempFolder& f) { Write(f.Path("h.obj"), "v 1e39 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\n"); },
     {"@/h.obj", "@/out.txt"}, 1, "vexelo-model: @/h.obj: a vertex position is not a finite number\n"},
    {"every vertex at one point", [](const TempFolder& f) { Write(f.Path("p.obj"), "v 1 1 1\nv 1 1 1\nv 1 1 1\nf 1 2 3\n"); },
     {"@/p.obj", "@/out.txt"}, 1, "vexelo-model: @/p.obj: all vertices lie at one point\n"},
    {"more vertices than Engine reads", OverTheVertexLimit, {"@/scene.gltf", "@/out.txt"}, 1,
     "vexelo-model: @/scene.gltf: 134400000 vertices, more than Engine reads (134217727)\n"},
#if !defined(VEXELO_ADDRESS_SANITIZER) // which reports the crash itself
    {"a file the import library crashes on",
     [](const TempFolder& f) { fs::copy_file(CONVERTER_TEST_DATA "/piece-lost.ply", f.Path("piece-lost.ply")); }, {"@/piece-lost.ply", "@/out.txt"}, 1,
     "vexelo-model: @/piece-lost.ply: cannot import: the import library crashed on this file (segmentation fault); "
     "it may be damaged\n"},
#endif
    {"a file the import library never finishes", CutShortPly, {"--time-limit", "1", "@/cut-short.ply", "@/out.txt"}, 1,
     "vexelo-model: @/cut-short.ply: cannot import: no result after 1 s; the file may be damaged (--time-limit to allow "
     "longer)\n"},
    {"output in a missing folder", Box, {"@/box.obj", "@/missing/out.txt"}, 1,
     "vexelo-model: @/missing/out.txt: cannot create a file beside it: No such file or directory\n"},
    {"output names a folder", [](const TempFolder& f) { Box(f); fs::create_directory(f.Path("sub")); }, {"@/box.obj", "@/sub"},
     1, "vexelo-model: @/sub: cannot replace it: Is a directory\n"},
};
}

// Which file, what is wrong, in one line; an existing output stays as it
// was and nothing is left behind.
TEST(ConverterFailures, EachNamesTheFileAndCauseAndLeavesTheOutputAlone)
{
    for (const FailureCase& row : FailureCases)
    {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        row.setUp(folder);
        Write(folder.Path("out.txt"), "Vertex Count: 0\n\nData:\n\n");
        const std::vector<std::string> before = Names(folder.Path());
        std::vector<std::string> arguments;
        for (const std::string& argument : row.arguments)
            arguments.push_back(InFolder(argument, folder));
        const Outcome run = Convert(folder.Path(), arguments, 60);
        EXPECT_EQ(run.code, row.code) << run.err;
        EXPECT_EQ(run.err.rfind(InFolder(row.message, folder), 0), 0u) << run.err;
        EXPECT_TRUE(row.code == 2 || run.err.find('\n') == run.err.size() - 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Names(folder.Path()), before);
        EXPECT_EQ(Read(folder.Path("out.txt")), "Vertex Count: 0\n\nData:\n\n");
    }
}

namespace
{
// The processes whose parent is parent, from /proc.
std::vector<pid_t> ChildrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = Read(entry.path() / "stat"); // "pid (name) state ppid ..."
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd != std::string::npos && std::atoi(stat.c_str() + nameEnd + 4) == parent)
            children.push_back(std::atoi(stat.c_str()));
    }
    return children;
}

std::size_t TemporaryBytes(const TempFolder& folder)
{
    std::size_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            bytes += entry.file_size();
    return bytes;
}

struct InterruptionCase
{
    const char* moment;
    void (*writeInput)(const TempFolder&);
    const char* input;
    bool (*reached)(const TempFolder&, pid_t converter);
};

const InterruptionCase InterruptionCases[] = {
    {"while the worker imports", CutShortPly, "cut-short.ply",
     [](const TempFolder&, pid_t converter) { return !ChildrenOf(converter).empty(); }},
    {"while the files are written", [](const TempFolder& f) { WriteGltf(f, 1000000, R"({"mesh":1})", "0"); },
     "scene.gltf", [](const TempFolder& f, pid_t) { return TemporaryBytes(f) > 0; }},
};
}

// Ctrl-C or a request to end: the converter ends by the signal, its worker
// is gone and nothing is left. The converter is stopped at the moment, so
// the signal lands there however fast the machine is.
TEST(ConverterFailures, AnInterruptedConversionLeavesNothing)
{
    for (const InterruptionCase& row : InterruptionCases)
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
        {
            SCOPED_TRACE(std::string(row.moment) + ", signal " + std::to_string(signal));
            TempFolder folder;
            row.writeInput(folder);
            const std::string input = folder.Path(row.input).string(), output = folder.Path("out.txt").string();
            const std::vector<std::string> before = Names(folder.Path());
            const char* arguments[] = {VEXELO_MODEL, input.c_str(), output.c_str(), nullptr};
            pid_t converter = 0;
            ASSERT_EQ(posix_spawn(&converter, VEXELO_MODEL, nullptr, nullptr, const_cast<char* const*>(arguments), environ), 0);
            int status = 0;
            for (int wait = 0; wait < 60000 && !row.reached(folder, converter) && waitpid(converter, &status, WNOHANG) == 0; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            kill(converter, SIGSTOP);
            ASSERT_EQ(waitpid(converter, &status, WUNTRACED), converter);
            ASSERT_TRUE(WIFSTOPPED(status)) << "ended before the moment";
            const std::vector<pid_t> workers = ChildrenOf(converter);
            ASSERT_EQ(workers.size(), 1u);
            kill(converter, signal);
            kill(converter, SIGCONT);
            ASSERT_EQ(waitpid(converter, &status, 0), converter);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_TRUE(kill(workers[0], 0) != 0 && errno == ESRCH) << "the worker is still there";
            EXPECT_EQ(Names(folder.Path()), before);
        }
}

// On a terminal a line says how far the conversion has come, each stage
// over the last, and is erased before the result; elsewhere the result is
// all there is: one line on standard output.
TEST(ConverterFailures, ProgressShowsOnATerminalOnly)
{
    TempFolder folder;
    Box(folder);
    const Outcome plain = Convert(folder.Path(), {folder.Path("box.obj"), folder.Path("out.txt")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    ASSERT_EQ(plain.out.find('\n'), plain.out.size() - 1) << plain.out;

    // script gives the converter a terminal and passes on what it writes there.
    const std::string shown = Shell("script -qec \"" VEXELO_MODEL " '" + folder.Path("box.obj").string() + "' '" +
                                    folder.Path("out.txt").string() + "'\" /dev/null");
    const std::string erase = "\r\033[K", result = erase + plain.out.substr(0, plain.out.size() - 1) + "\r\n";
    ASSERT_GT(shown.size(), result.size()) << shown;
    EXPECT_EQ(shown.substr(shown.size() - result.size()), result);
    std::string stages; // a slow machine may show how far a stage is too
    for (const char* stage : {"importing", "building triangles", "baking the texture", "writing"})
        stages += std::string(R"(\r\x1b\[Kvexelo-model: )") + stage + R"((\r\x1b\[Kvexelo-model: )" + stage + R"(: \d+ %)*)";
    EXPECT_TRUE(std::regex_match(shown.substr(0, shown.size() - result.size()), std::regex(stages))) << shown;
}

namespace
{
// The small models of Debian's assimp-testmodels in the formats users bring,
// and those whose importers crashed or hung on damaged files.
std::vector<fs::path> SmallTestModels()
{
    const std::regex companion(R"(\.(jpg|jpeg|png|tga|bmp|gif|dds|mtl|bin|txt|md|vert|frag)$|^[^.]*$)", std::regex::icase);
    std::vector<fs::path> models;
    for (const char* folder : {"OBJ", "PLY", "STL", "glTF2", "3DS", "Collada", "FBX", "ASE", "MDL", "OpenGEX", "3MF", "COB"})
        for (const auto& entry : fs::recursive_directory_iterator("/usr/share/assimp/models/" + std::string(folder)))
            if (entry.is_regular_file() && entry.file_size() < 400000 &&
                !std::regex_search(entry.path().filename().string(), companion))
                models.push_back(entry.path());
    std::sort(models.begin(), models.end());
    return models;
}

// The ways files arrive damaged: a few bytes changed, cut short, a number
// no writer would write, a piece lost in the middle.
std::string Damaged(std::string bytes, int way, std::mt19937& random)
{
    const auto at = [&](std::size_t size) { return size == 0 ? 0 : random() % size; };
    const bool text = bytes.find('\0') == std::string::npos;
    switch (way)
    {
    case 0:
        for (int n = 1 + random() % 4; n > 0 && !bytes.empty(); --n)
            bytes[at(bytes.size())] = static_cast<char>(random());
        return bytes;
    case 1:
        return bytes.substr(0, at(bytes.size()));
    case 2:
        if (text)
        {
            const char* numbers[] = {"2147483647", "-2147483648", "4294967295", "99999999999999999999", "1e38", "-1"};
            std::size_t start = bytes.find_first_of("0123456789", at(bytes.size()));
            if (start == std::string::npos)
                start = bytes.find_first_of("0123456789");
            if (start == std::string::npos)
                return bytes;
            const std::size_t end = bytes.find_first_not_of("0123456789.", start);
            return bytes.replace(start, (end == std::string::npos ? bytes.size() : end) - start, numbers[random() % 6]);
        }
        else
        {
            const std::uint32_t numbers[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x40000000u, 0x00FFFFFFu};
            const std::uint32_t number = numbers[random() % 5];
            const std::size_t start = bytes.size() < 4 ? 0 : at(bytes.size() - 3) & ~std::size_t(3);
            for (std::size_t i = 0; i < 4 && start + i < bytes.size(); ++i)
                bytes[start + i] = static_cast<char>(number >> (8 * i));
            return bytes;
        }
    default:
    {
        const std::size_t start = at(bytes.size()), length = 1 + at(std::min<std::size_t>(bytes.size() - start, 256));
        return bytes.erase(start, length);
    }
    }
}
}

// A few hundred damaged copies of the test models, made with a fixed seed:
// each converts or fails with 1 and one line that names it, and leaves
// nothing beside it, whatever the import library does with it.
TEST(ConverterBreadth, DamagedCopiesOfTheTestModelsEndWithOneLine)
{
    const std::vector<fs::path> models = SmallTestModels();
    ASSERT_GT(models.size(), 100u) << "assimp-testmodels is missing: run tools/setup";
    std::mt19937 random(230);
    std::map<std::string, int> outcomes;
    TempFolder folder;
    for (int copy = 0; copy < 300; ++copy)
    {
        const fs::path& model = models[random() % models.size()];
        const int way = copy % 4;
        const std::string name = "damaged-" + std::to_string(copy) + model.extension().string();
        SCOPED_TRACE(model.string() + " as " + name);
        Write(folder.Path(name), Damaged(Read(model), way, random));
        const Outcome run = Convert(folder.Path(), {"--time-limit", "5", folder.Path(name), folder.Path("out.txt")}, 30);
        ++outcomes[run.code == 0 ? "converted" : run.err.find("crashed") != std::string::npos ? "crashed"
                                             : run.err.find("no result") != std::string::npos ? "no result" : "failed"];
        EXPECT_TRUE(run.code == 0 || run.code == 1) << run.code << ": " << run.err;
        if (run.code != 0)
        {
            EXPECT_EQ(run.err.rfind("vexelo-model: " + folder.Path(name).string() + ": ", 0), 0u) << run.err;
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
            EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{name}) << "left behind";
        }
        fs::remove_all(folder.Path());
        fs::create_directory(folder.Path());
    }
    for (const auto& outcome : outcomes)
        std::printf("  %3d %s\n", outcome.second, outcome.first.c_str());
}

// Every kind of float in its shortest text comes back bit for bit through
// Engine's reader; the new file replaces the old one whole.
TEST(ConverterRoundTrip, TheReaderGetsBackEveryFloatBitForBit)
{
    using limits = std::numeric_limits<float>;
    std::vector<float> values = {0.0f, -0.0f, 1.0f, 0.1f, 1.0f / 3, 16777218.0f, 1e-7f, limits::min(),
                                 limits::denorm_min(), 3 * limits::denorm_min(), limits::max(), -limits::max(),
                                 std::nextafter(1.0f, 2.0f), 9.99999944e-11f, 0.30000001f, -123456.79f};
    std::mt19937 random(20240611);
    while (values.size() < 8 * 300000) // chunks on several threads, in several batches
    {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
    }
    std::vector<ModelVertex> vertices(values.size() / 8);
    std::memcpy(vertices.data(), values.data(), values.size() * sizeof(float));

    TempFolder folder;
    Write(folder.Path("model.txt"), std::string(1000000, 'x'));
    std::string error;
    ASSERT_TRUE(ModelFileWriter::Write(folder.Path("model.txt"), vertices, error)) << error;
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"model.txt"});
    EXPECT_EQ(Read(folder.Path("model.txt")).rfind("Vertex Count: 300000\n\nData:\n\n", 0), 0u);
    const std::vector<ModelVertex> read = ReadModel(folder.Path("model.txt"));
    ASSERT_EQ(read.size(), vertices.size());
    EXPECT_EQ(std::memcmp(read.data(), vertices.data(), values.size() * sizeof(float)), 0);
}

// The text as one thread writes it with std::to_chars, line by line, for
// vertices that repeat whole, repeat some numbers, differ only in the sign of
// a zero or in their last number, or are all new, over a count that ends
// mid-chunk; and a write that
// fails midway, while the threads format ahead, is reported.
TEST(ConverterRoundTrip, ChunksFormattedOnThreadsGiveTheBytesOfOneThread)
{
    std::mt19937 random(7);
    const auto any = [&random] {
        float value;
        do
        {
            const std::uint32_t bits = static_cast<std::uint32_t>(random());
            std::memcpy(&value, &bits, sizeof value);
        } while (!std::isfinite(value));
        return value;
    };
    std::vector<ModelVertex> vertices(5 * ModelFileWriter::VerticesPerChunk + 123);
    for (std::size_t k = 0; k < vertices.size(); ++k)
    {
        ModelVertex& v = vertices[k];
        switch (k % 5)
        {
        case 0: v = {any(), any(), any(), any(), any(), any(), any(), any()}; break;
        case 1: v = vertices[k - 1 - random() % std::min<std::size_t>(k, 5000)]; break;
        case 2: v = {vertices[k - 2].x, any(), 0.5f, vertices[k - 1].tv, any(), 0.0f, -0.0f, 1.0f}; break;
        case 3: v = vertices[k - 1]; v.nx = -v.nx; v.ny = -v.ny; break;
        default: v = vertices[0]; v.nz = float(random() % 3000); break; // the same but for the last number
        }
    }
    std::string expected = "Vertex Count: " + std::to_string(vertices.size()) + "\n\nData:\n\n";
    for (const ModelVertex& v : vertices)
    {
        const float fields[8] = {v.x, v.y, v.z, v.tu, v.tv, v.nx, v.ny, v.nz};
        for (int i = 0; i < 8; ++i)
        {
            char text[32];
            expected.append(text, std::to_chars(text, text + sizeof text, fields[i]).ptr);
            expected += i < 7 ? ' ' : '\n';
        }
    }

    TempFolder folder;
    std::FILE* file = std::fopen(folder.Path("model.txt").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const bool written = ModelFileWriter::Write(file, vertices);
    EXPECT_EQ(std::fclose(file), 0);
    ASSERT_TRUE(written);
    EXPECT_TRUE(Read(folder.Path("model.txt")) == expected) << "not the bytes one thread writes";

    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(ModelFileWriter::Write(full, vertices));
    std::fclose(full);
}

// Every model of Debian's assimp-testmodels in the folders of the formats
// users bring most, and every file of its folder of broken ones: each
// converts to what Engine's reader takes, with unit normals, a largest
// extent of 2 and a texture the project's DDS reader takes, or fails with 1
// and a line that names it. None crashes,
// hangs or leaves a file behind.
TEST(ConverterBreadth, EveryTestModelConvertsOrFailsCleanly)
{
    const std::string models = "/usr/share/assimp/models/";
    ASSERT_TRUE(fs::is_directory(models)) << "assimp-testmodels is missing: run tools/setup";
    std::vector<fs::path> inputs;
    for (const char* folder : {"OBJ", "PLY", "STL", "glTF2", "3DS", "Collada", "FBX", "invalid"})
        for (const auto& entry : fs::recursive_directory_iterator(models + folder))
        {
            // Beside the models: textures, materials, buffers, shaders, notes.
            const std::string name = entry.path().filename().string();
            const bool companion = std::regex_search(name, std::regex(R"(\.(jpg|png|tga|mtl|bin|txt|md|vert|frag)$|^[^.]*$)",
                                                                     std::regex::icase));
            if (entry.is_regular_file() && (folder == std::string("invalid") || !companion ||
                                            name.find("ormatDetection") != std::string::npos))
                inputs.push_back(entry.path());
        }
    std::sort(inputs.begin(), inputs.end());

    TempFolder folder;
    std::map<std::string, int> causes;
    for (const fs::path& input : inputs)
    {
        SCOPED_TRACE(input.string());
        const Outcome run = Convert(folder.Path(), {input.string(), folder.Path("model.txt")});
        if (run.code == 0)
        {
            ++causes["converted"];
            const std::vector<ModelVertex> model = ReadModel(folder.Path("model.txt"));
            EXPECT_EQ(3 * Triangles(run), static_cast<long long>(model.size()));
            double extent = 0;
            Centre(model.data(), model.size(), extent);
            EXPECT_NEAR(extent, 2, 1e-5);
            EXPECT_TRUE(std::all_of(model.begin(), model.end(), [](const ModelVertex& v) {
                return std::fabs(Dot(NormalOf(v), NormalOf(v)) - 1) < 2e-5;
            }));
            const Texture texture = ReadTexture(folder.Path("model.dds"), false);
            EXPECT_FALSE(texture.levels.empty()) << "no texture the project's reader takes";
            EXPECT_TRUE(std::all_of(model.begin(), model.end(), [](const ModelVertex& v) {
                return std::isfinite(v.tu) && std::isfinite(v.tv);
            }));
            const std::size_t tiles = run.out.find(" tiles (");
            causes["converted, texture of several tiles"] += tiles != std::string::npos;
            fs::remove(folder.Path("model.txt"));
            fs::remove(folder.Path("model.dds"));
            continue;
        }
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_EQ(run.err.rfind("vexelo-model: " + input.string() + ": ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_TRUE(Names(folder.Path()).empty()) << "left behind";
        const std::string cause = run.err.substr(std::min(run.err.size(), 16 + input.string().size()));
        ++causes[cause.substr(0, std::min({cause.find(':'), cause.find(" ("), cause.find('\n')}))];
        std::printf("  %s: %s", input.lexically_relative(models).c_str(), cause.c_str());
    }
    std::printf("%zu test models:\n", inputs.size());
    for (const auto& cause : causes)
        std::printf("  %3d %s\n", cause.second, cause.first.c_str());
    EXPECT_GT(causes["converted"], 100);
}
