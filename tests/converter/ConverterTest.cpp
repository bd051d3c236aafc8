// vexelo-model as a user runs it: Engine's conventions by the rule the shipped
// cube follows, materials baked into one texture, failures and interruptions
// that leave the output alone, the writer's round trip through Engine's
// reader, and Debian's Assimp test models.
#include "DdsFile.h"
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
    const std::size_t end = run.out.find(" triangles, ");
    return end == std::string::npos ? -1 : std::atoll(run.out.c_str() + run.out.rfind(' ', end - 1) + 1);
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
    // The texel a vertex's coordinates fall in.
    Texel AtVertex(std::uint32_t level, const ModelVertex& v) const
    {
        return At(level, std::uint32_t(v.tu * width) >> level, std::uint32_t(v.tv * height) >> level);
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

// The largest aligned power-of-two square around (x, y) of the top level
// that holds one colour: a flat tile.
std::uint32_t FlatTileSide(const Texture& texture, std::uint32_t x, std::uint32_t y)
{
    std::uint32_t side = 1;
    for (std::uint32_t next = 2; next <= std::min(texture.width, texture.height); next *= 2)
    {
        const std::uint32_t x0 = x / next * next, y0 = y / next * next;
        for (std::uint32_t j = y0; j < y0 + next; ++j)
            for (std::uint32_t i = x0; i < x0 + next; ++i)
                if (texture.At(0, i, j) != texture.At(0, x, y))
                    return side;
        side = next;
    }
    return side;
}

// Each triangle left of x = 0 shows left, each right of it right: at its
// coordinates on the top level, and on its tile's own last level.
void ExpectSidesShow(const std::vector<ModelVertex>& model, const Texture& texture, const Texel& left, const Texel& right)
{
    ASSERT_FALSE(texture.levels.empty());
    for (std::size_t k = 0; k < model.size(); ++k)
    {
        const Texel& expected = model[k - k % 3].x + model[k - k % 3 + 1].x + model[k - k % 3 + 2].x < 0 ? left : right;
        const std::uint32_t x = std::uint32_t(model[k].tu * texture.width), y = std::uint32_t(model[k].tv * texture.height);
        EXPECT_EQ(texture.At(0, x, y), expected) << "vertex " << k;
        int level = 0;
        for (std::uint32_t side = FlatTileSide(texture, x, y); side > 1; side /= 2)
            ++level;
        EXPECT_EQ(texture.AtVertex(level, model[k]), expected) << "vertex " << k << ", level " << level;
    }
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

struct MaterialCase
{
    const char* name;
    void (*writeInput)(const TempFolder&);
    const char* summary;
    Texel left, right;
};

const MaterialCase MaterialCases[] = {
    {"two flat colours",
     [](const TempFolder& f) {
         Write(f.Path("m.obj"), TwoQuadsObj());
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\n" + std::string(RightBlue));
     },
     "2 tiles (2 colours)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"an image named the Windows way, in another case, times the colour",
     [](const TempFolder& f) {
         fs::create_directory(f.Path("Maps"));
         MagickImage(f, "Maps/olive.png", "-size 4x4 xc:'rgb(10,200,30)'");
         Write(f.Path("m.obj"), TwoQuadsObj(true));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0.5 1\nmap_Kd .\\maps\\OLIVE.png\n" + std::string(RightBlue));
     },
     "2 tiles (1 image, 1 colour)", {10, 100, 30, 255}, {0, 0, 255, 255}},
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
};
}

TEST(ConverterMaterials, EachMaterialShowsInItsOwnTileAtEveryLevel)
{
    for (const MaterialCase& row : MaterialCases)
    {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        row.writeInput(folder);
        const Outcome run = Convert(folder.Path(), {"--keep-size", folder.Path("m.obj"), folder.Path("m.txt")});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.out.find("; texture " + folder.Path("m.dds").string() + ", "), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(row.summary), std::string::npos) << run.out;
        ExpectSidesShow(ReadModel(folder.Path("m.txt")), ReadTexture(folder.Path("m.dds")), row.left, row.right);
    }
}

// glTF with its image inside (a data URI: Assimp hands it over embedded), on
// a quad beside a green one. ImageMagick encodes the texels; the tile holds
// them as they were, each corner's coordinates fall on its corner texel, and
// the tile's last level is their mean.
TEST(ConverterMaterials, AnImageInsideTheFileFillsItsTile)
{
    TempFolder folder;
    std::string texels;
    for (int i = 0; i < 64; ++i)
        texels += {char(i * 4), char(255 - i * 3), char(i % 8 * 30), '\xff'};
    Write(folder.Path("texels.rgba"), texels);
    ASSERT_EQ(std::system(("cd '" + folder.Path().string() + "' && convert -size 8x8 -depth 8 rgba:texels.rgba png:i.png").c_str()), 0);
    const std::string png = Shell("base64 -w0 '" + folder.Path("i.png").string() + "'");
    std::string bin;
    auto put = [&bin](float value) { bin.append(reinterpret_cast<const char*>(&value), sizeof value); };
    for (float x : {-2.0f, -1.0f, 1.0f, 2.0f}) // two quads' corners, then coordinates for the first
        for (float y : {0.0f, 1.0f})
            for (float value : {x, y, 0.0f})
                put(value);
    for (float uv : {0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f}) // glTF's v runs from the top
        put(uv);
    for (std::uint16_t i : {0, 2, 1, 1, 2, 3})
        bin.append(reinterpret_cast<const char*>(&i), 2);
    Write(folder.Path("q.bin"), bin);
    Write(folder.Path("q.gltf"),
          R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],"nodes":[{"mesh":0},{"mesh":1}],)"
          R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":2},"indices":3,"material":0}]},)"
          R"({"primitives":[{"attributes":{"POSITION":1},"indices":3,"material":1}]}],)"
          R"("materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}},)"
          R"({"pbrMetallicRoughness":{"baseColorFactor":[0,1,0,1]}}],)"
          R"("textures":[{"source":0}],"images":[{"uri":"data:image/png;base64,)" + png + R"("}],)"
          R"("buffers":[{"uri":"q.bin","byteLength":140}],"bufferViews":[{"buffer":0,"byteLength":48},)"
          R"({"buffer":0,"byteOffset":48,"byteLength":48},{"buffer":0,"byteOffset":96,"byteLength":32},)"
          R"({"buffer":0,"byteOffset":128,"byteLength":12}],"accessors":[)"
          R"({"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[-2,0,0],"max":[-1,1,0]},)"
          R"({"bufferView":1,"componentType":5126,"count":4,"type":"VEC3","min":[1,0,0],"max":[2,1,0]},)"
          R"({"bufferView":2,"componentType":5126,"count":4,"type":"VEC2"},)"
          R"({"bufferView":3,"componentType":5123,"count":6,"type":"SCALAR"}]})");
    fs::remove(folder.Path("i.png"));

    const Outcome run = Convert(folder.Path(), {"--keep-size", folder.Path("q.gltf"), folder.Path("q.txt")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("2 tiles (1 image, 1 colour)"), std::string::npos) << run.out;
    const std::vector<ModelVertex> model = ReadModel(folder.Path("q.txt"));
    const Texture texture = ReadTexture(folder.Path("q.dds"));
    ASSERT_EQ(model.size(), 12u);
    ASSERT_FALSE(texture.levels.empty());
    std::uint32_t x0 = 0, y0 = 0; // the image's top left corner is at (-2, 1)
    for (const ModelVertex& v : model)
        if (v.x == -2 && v.y == 1)
        {
            x0 = std::uint32_t(v.tu * texture.width);
            y0 = std::uint32_t(v.tv * texture.height);
        }
    EXPECT_EQ(x0 % 8 + y0 % 8, 0u) << "an 8 x 8 tile at a multiple of 8";
    int sums[3] = {0, 0, 0};
    for (std::uint32_t i = 0; i < 64; ++i)
    {
        const Texel expected{std::uint8_t(texels[4 * i]), std::uint8_t(texels[4 * i + 1]), std::uint8_t(texels[4 * i + 2]), 255};
        EXPECT_EQ(texture.At(0, x0 + i % 8, y0 + i / 8), expected) << "texel " << i;
        for (int c = 0; c < 3; ++c)
            sums[c] += expected[c];
    }
    for (const ModelVertex& v : model)
    {
        if (v.x > 0)
        {
            EXPECT_EQ(texture.AtVertex(0, v), (Texel{0, 255, 0, 255}));
            continue;
        }
        const std::uint32_t i = (v.x == -1 ? 7 : 0) + (v.y == 0 ? 56 : 0); // the corner's texel
        EXPECT_EQ(texture.AtVertex(0, v), texture.At(0, x0 + i % 8, y0 + i / 8)) << v.x << ", " << v.y;
        const Texel mean = texture.AtVertex(3, v);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(mean[c], sums[c] / 64.0, 2) << "channel " << c;
    }
}

// An image shrunk into its tile: each texel the mean of the block it covers,
// times the material's colour, opaque.
TEST(ConverterMaterials, AnImageLargerThanItsTileIsAveraged)
{
    Image image;
    image.width = image.height = 4;
    for (int i = 0; i < 16; ++i)
        image.rgba.insert(image.rgba.end(), {std::uint8_t(i * 16), std::uint8_t(255 - i), std::uint8_t(i % 4 * 80), 7});
    std::vector<Tile> tiles = {{2}, {1}, {1}};
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
    TextureAtlas atlas;
    ASSERT_TRUE(atlas.Allocate(width, height));
    const float half[4] = {0.5f, 1, 1, 1};
    ASSERT_TRUE(atlas.Place(image, tiles[0], half));
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 2; ++x)
        {
            const int first = int(8 * y + 2 * x); // the block's top left texel
            const int red = (16 * (4 * first + 10) / 4 + 1) / 2, green = 255 - (4 * first + 10) / 4;
            const int blue = (80 * (4 * (first % 4) + 2) + 2) / 4;
            const std::uint8_t* texel = atlas.Levels().Data(0) + (tiles[0].y + y) * atlas.Levels().Level(0).rowPitch + 4 * (tiles[0].x + x);
            EXPECT_EQ((Texel{texel[0], texel[1], texel[2], texel[3]}), (Texel{red, green, blue, 255})) << x << ", " << y;
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

const FailureCase FailureCases[] = {
    {"no paths", Box, {}, 2, "vexelo-model: INPUT and OUTPUT are needed\nusage:"},
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

// Ctrl-C or a request to end while the files are written: the process ends
// by the signal and leaves nothing. It is stopped once a temporary shows, so
// the signal lands mid-way however fast the machine is.
TEST(ConverterFailures, AnInterruptedConversionLeavesNothing)
{
    TempFolder folder;
    WriteGltf(folder, 1000000, R"({"mesh":1})", "0");
    const std::string input = folder.Path("scene.gltf").string(), output = folder.Path("out.txt").string();
    const std::vector<std::string> before = Names(folder.Path());
    for (int signal : {SIGINT, SIGTERM})
    {
        SCOPED_TRACE(signal);
        const char* arguments[] = {VEXELO_MODEL, input.c_str(), output.c_str(), nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, VEXELO_MODEL, nullptr, nullptr, const_cast<char* const*>(arguments), environ), 0);
        const auto temporaries = [&folder] {
            const std::vector<std::string> names = Names(folder.Path());
            return std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.find(".partial-") != n.npos; });
        };
        int status = 0;
        for (int wait = 0; wait < 60000 && temporaries() == 0 && waitpid(child, &status, WNOHANG) == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        kill(child, SIGSTOP);
        ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
        ASSERT_TRUE(WIFSTOPPED(status)) << "ended before it wrote";
        EXPECT_GT(temporaries(), 0);
        kill(child, signal);
        kill(child, SIGCONT);
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Names(folder.Path()), before);
    }
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
