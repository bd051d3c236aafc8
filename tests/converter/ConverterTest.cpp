// The converter as a user runs it: Engine's conventions checked by the rule
// the shipped cube follows, its failures, and the writer's round trip
// through Engine's reader.
#include "ConverterRun.h"
#include "ModelFileReader.h"
#include "ModelFileWriter.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{
struct Vec
{
    double x, y, z;
};

Vec Minus(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Position(const ModelVertex& v) { return {v.x, v.y, v.z}; }
Vec Normal(const ModelVertex& v) { return {v.nx, v.ny, v.nz}; }

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

// Bounding-box centre and largest extent.
void Bounds(const ModelVertex* vertices, std::size_t count, Vec& centre, double& extent)
{
    Vec low{1e30, 1e30, 1e30}, high{-1e30, -1e30, -1e30};
    for (std::size_t i = 0; i < count; ++i)
    {
        const Vec p = Position(vertices[i]);
        low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
    }
    centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    extent = std::fmax(high.x - low.x, std::fmax(high.y - low.y, high.z - low.z));
}

// The rule cube.txt follows, for a convex part around centre: the
// triangle's (b - a) x (c - a) points away from the centre, as its normals do.
// Left-handed, that is a triangle running clockwise seen from outside: the
// front face Engine draws.
void ExpectFrontFacesOutward(const ModelVertex* triangles, std::size_t vertexCount, const Vec& centre,
                             const std::string& what)
{
    for (std::size_t t = 0; t < vertexCount; t += 3)
    {
        const Vec a = Position(triangles[t]), b = Position(triangles[t + 1]), c = Position(triangles[t + 2]);
        const Vec middle{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
        EXPECT_GT(Dot(Cross(Minus(b, a), Minus(c, a)), Minus(middle, centre)), 0) << what << ", triangle " << t / 3;
        for (std::size_t k = t; k < t + 3; ++k)
            EXPECT_GT(Dot(Normal(triangles[k]), Minus(Position(triangles[k]), centre)), 0)
                << what << ", normal of vertex " << k;
    }
}

// The box from (1, 1, 1) to (3, 5, 2), corners and faces numbered as OBJ
// does: right-handed, each face counter-clockwise seen from outside.
const int Signs[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                         {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
const int Quads[6][4] = {{1, 4, 3, 2}, {5, 6, 7, 8}, {1, 2, 6, 5}, {3, 4, 8, 7}, {1, 5, 8, 4}, {2, 3, 7, 6}};
const char* const QuadNormals[6] = {"0 0 -1", "0 0 1", "0 -1 0", "0 1 0", "-1 0 0", "1 0 0"};
Vec BoxCorner(int i) { return {Signs[i][0] < 0 ? 1.0 : 3.0, Signs[i][1] < 0 ? 1.0 : 5.0, Signs[i][2] < 0 ? 1.0 : 2.0}; }
// Texture coordinates that depend on all three coordinates, so a mirrored
// axis shows; v counted from the bottom of the image, as OBJ does.
double U(const Vec& p) { return 0.1 + 0.1 * p.x + 0.05 * p.z; }
double V(const Vec& p) { return 0.05 * p.y + 0.1 * p.z; }

std::string ObjBox(bool normals, const std::string& extra = "")
{
    std::string text;
    for (int i = 0; i < 8; ++i)
    {
        const Vec p = BoxCorner(i);
        text += "v " + std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.z) + "\n";
        text += "vt " + std::to_string(U(p)) + " " + std::to_string(V(p)) + "\n";
    }
    for (const char* normal : QuadNormals)
        text += std::string("vn ") + normal + "\n";
    for (int f = 0; f < 6; ++f)
    {
        text += "f";
        for (int corner : Quads[f])
            text += " " + std::to_string(corner) + "/" + std::to_string(corner) +
                    (normals ? "/" + std::to_string(f + 1) : "");
        text += "\n";
    }
    return text + extra;
}

// The cube from -1 to 1 with eight shared vertices and no normals.
std::string PlyCube()
{
    std::string text = "ply\nformat ascii 1.0\nelement vertex 8\nproperty float x\nproperty float y\nproperty float z\n"
                       "element face 6\nproperty list uchar int vertex_indices\nend_header\n";
    for (const auto& sign : Signs)
        text += std::to_string(sign[0]) + " " + std::to_string(sign[1]) + " " + std::to_string(sign[2]) + "\n";
    for (const auto& quad : Quads)
        text += "4 " + std::to_string(quad[0] - 1) + " " + std::to_string(quad[1] - 1) + " " +
                std::to_string(quad[2] - 1) + " " + std::to_string(quad[3] - 1) + "\n";
    return text;
}

template <typename T>
void Put(std::string& bytes, T value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A glTF scene: one indexed mesh per entry of triangleCounts, and nodes
// (JSON) that place them. Mesh 0 is the -1..1 cube (12 triangles); any other
// mesh repeats one triangle triangleCounts[m] times.
void WriteGltf(const ScratchFolder& folder, const std::vector<int>& triangleCounts, const std::string& nodes,
               const std::string& sceneNodes)
{
    std::string bin;
    for (const auto& sign : Signs)
        for (int axis = 0; axis < 3; ++axis)
            Put(bin, static_cast<float>(sign[axis]));
    for (const auto& quad : Quads)
        for (int k : {0, 1, 2, 0, 2, 3})
            Put(bin, static_cast<std::uint16_t>(quad[k] - 1));
    const std::size_t repeatedAt = bin.size();
    int most = 0;
    for (std::size_t m = 1; m < triangleCounts.size(); ++m)
        most = std::max(most, triangleCounts[m]);
    for (int t = 0; t < most; ++t)
        for (std::uint16_t k : {0, 1, 3})
            Put(bin, k);
    folder.Write("scene.bin", bin);

    std::string meshes, accessors = "{\"bufferView\":0,\"componentType\":5126,\"count\":8,\"type\":\"VEC3\","
                                    "\"min\":[-1,-1,-1],\"max\":[1,1,1]},"
                                    "{\"bufferView\":1,\"componentType\":5123,\"count\":36,\"type\":\"SCALAR\"}";
    for (std::size_t m = 0; m < triangleCounts.size(); ++m)
    {
        if (m > 0)
            accessors += ",{\"bufferView\":2,\"componentType\":5123,\"count\":" + std::to_string(3 * triangleCounts[m]) +
                         ",\"type\":\"SCALAR\"}";
        meshes += std::string(m > 0 ? "," : "") + "{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":" +
                  std::to_string(m + 1) + "}]}";
    }
    folder.Write("scene.gltf",
                 "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" + sceneNodes +
                     "]}],\"nodes\":[" + nodes + "],\"meshes\":[" + meshes +
                     "],\"buffers\":[{\"uri\":\"scene.bin\",\"byteLength\":" + std::to_string(bin.size()) +
                     "}],\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":96},"
                     "{\"buffer\":0,\"byteOffset\":96,\"byteLength\":72},{\"buffer\":0,\"byteOffset\":" +
                     std::to_string(repeatedAt) + ",\"byteLength\":" + std::to_string(bin.size() - repeatedAt) +
                     "}],\"accessors\":[" + accessors + "]}");
}

enum class Normals
{
    FromFile,
    Smooth,
    Flat
};

struct ConventionCase
{
    const char* name;
    std::function<void(const ScratchFolder&)> writeInput;
    const char* input;
    std::vector<std::string> options;
    int triangles;
    Normals normals;
    std::vector<Vec> keptCentres; // with --keep-size, each part's centre; the parts follow each other in the file
    bool texturedBox;
};

const ConventionCase ConventionCases[] = {
    {"OBJ box, its own normals and texture coordinates, size kept",
     [](const ScratchFolder& f) { f.Write("box.obj", ObjBox(true)); }, "box.obj", {"--keep-size"}, 12,
     Normals::FromFile, {{2, 3, -1.5}}, true},
    {"OBJ box fitted, smooth normals generated", [](const ScratchFolder& f) { f.Write("box.obj", ObjBox(false)); },
     "box.obj", {}, 12, Normals::Smooth, {}, true},
    {"OBJ box, flat normals generated", [](const ScratchFolder& f) { f.Write("box.obj", ObjBox(false)); }, "box.obj",
     {"--flat-normals"}, 12, Normals::Flat, {}, true},
    {"OBJ box with a line and a point, which are dropped",
     [](const ScratchFolder& f) { f.Write("box.obj", ObjBox(true, "l 1 7\np 2\n")); }, "box.obj", {}, 12,
     Normals::FromFile, {}, true},
    {"PLY cube of shared vertices, flat normals", [](const ScratchFolder& f) { f.Write("cube.ply", PlyCube()); },
     "cube.ply", {"--flat-normals"}, 12, Normals::Flat, {}, false},
    {"PLY cube of shared vertices, smooth normals", [](const ScratchFolder& f) { f.Write("cube.ply", PlyCube()); },
     "cube.ply", {}, 12, Normals::Smooth, {}, false},
    {"glTF cube placed twice by nested nodes, once mirrored, size kept",
     [](const ScratchFolder& f) {
         WriteGltf(f, {12},
                   "{\"mesh\":0,\"translation\":[3,0,4]},{\"translation\":[0,2,0],\"children\":[2]},"
                   "{\"mesh\":0,\"translation\":[-3,0,0],\"scale\":[-1,1,1]}",
                   "0,1");
     },
     "scene.gltf", {"--keep-size"}, 24, Normals::Smooth, {{3, 0, -4}, {-3, 2, 0}}, false},
};

void ExpectNormals(const ModelVertex* part, std::size_t count, const Vec& centre, Normals normals,
                   const std::string& what)
{
    for (std::size_t k = 0; k < count; ++k)
    {
        const Vec n = Normal(part[k]);
        Vec expected;
        if (normals == Normals::Smooth)
        {
            // A box's corner is shared by three faces that each meet it at a right angle.
            const Vec p = Minus(Position(part[k]), centre);
            const double third = 1 / std::sqrt(3.0);
            expected = {std::copysign(third, p.x), std::copysign(third, p.y), std::copysign(third, p.z)};
        }
        else
        {
            const std::size_t t = k - k % 3;
            const Vec face = Cross(Minus(Position(part[t + 1]), Position(part[t])),
                                   Minus(Position(part[t + 2]), Position(part[t])));
            const double length = std::sqrt(Dot(face, face));
            expected = {face.x / length, face.y / length, face.z / length};
        }
        EXPECT_NEAR(n.x, expected.x, 1e-6) << what << ", vertex " << k;
        EXPECT_NEAR(n.y, expected.y, 1e-6) << what << ", vertex " << k;
        EXPECT_NEAR(n.z, expected.z, 1e-6) << what << ", vertex " << k;
    }
}

// The box's source point of an output vertex: z mirrored back (and, when
// fitted, the fitting undone); then u as in the file and v from the top.
void ExpectBoxTexture(const std::vector<ModelVertex>& vertices, bool kept, const std::string& what)
{
    for (const ModelVertex& vertex : vertices)
    {
        Vec p = Position(vertex);
        if (!kept)
            p = {p.x * 2 + 2, p.y * 2 + 3, p.z * 2 - 1.5}; // fitted: centre (2, 3, -1.5), extent 4
        const Vec source{p.x, p.y, -p.z};
        EXPECT_NEAR(vertex.tu, U(source), 1e-6) << what;
        EXPECT_NEAR(vertex.tv, 1 - V(source), 1e-6) << what;
    }
}
}

TEST(ConverterConventions, TheShippedCubeFollowsTheRuleAndEngineDrawsItsFacingTrianglesClockwise)
{
    const std::vector<ModelVertex> cube = ReadModel(ENGINE_DATA_DIR "/cube.txt");
    ASSERT_EQ(cube.size(), 36u);
    ExpectFrontFacesOutward(cube.data(), cube.size(), {0, 0, 0}, "cube.txt");
    // The camera at (0, 0, -5) looks along +z with y up and x to the right:
    // the triangles that face it run clockwise on the screen.
    int facing = 0;
    for (std::size_t t = 0; t < cube.size(); t += 3)
    {
        if (cube[t].nz >= 0)
            continue;
        ++facing;
        const ModelVertex &a = cube[t], &b = cube[t + 1], &c = cube[t + 2];
        EXPECT_LT((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y), 0) << "triangle " << t / 3;
    }
    EXPECT_EQ(facing, 2);
}

TEST(ConverterConventions, ModelsComeOutInEngineConventions)
{
    for (const ConventionCase& row : ConventionCases)
    {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        row.writeInput(folder);
        std::vector<std::string> arguments = row.options;
        arguments.push_back(folder.Path(row.input));
        arguments.push_back(folder.Path("model.txt"));
        const ConverterRun run = ConverterRun::Start(arguments, folder.Path());
        ASSERT_EQ(run.exitCode, 0) << run.Describe();
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.Triangles(), row.triangles) << run.out;
        const char* normalsSaid = row.normals == Normals::FromFile ? "normals from the file"
                                  : row.normals == Normals::Smooth ? "normals generated (smooth)"
                                                                   : "normals generated (flat)";
        EXPECT_NE(run.out.find(normalsSaid), std::string::npos) << run.out;

        const std::vector<ModelVertex> model = ReadModel(folder.Path("model.txt"));
        ASSERT_EQ(model.size(), 3u * row.triangles);
        Vec centre;
        double extent = 0;
        Bounds(model.data(), model.size(), centre, extent);
        if (row.keptCentres.empty())
        {
            EXPECT_NEAR(extent, 2, 1e-6);
            EXPECT_NEAR(std::fabs(centre.x) + std::fabs(centre.y) + std::fabs(centre.z), 0, 1e-6);
        }
        const std::size_t parts = std::max<std::size_t>(1, row.keptCentres.size());
        const std::size_t partSize = model.size() / parts;
        for (std::size_t part = 0; part < parts; ++part)
        {
            const ModelVertex* first = model.data() + part * partSize;
            Vec partCentre;
            Bounds(first, partSize, partCentre, extent);
            if (!row.keptCentres.empty())
            {
                EXPECT_NEAR(partCentre.x, row.keptCentres[part].x, 1e-6) << "part " << part;
                EXPECT_NEAR(partCentre.y, row.keptCentres[part].y, 1e-6) << "part " << part;
                EXPECT_NEAR(partCentre.z, row.keptCentres[part].z, 1e-6) << "part " << part;
            }
            const std::string what = "part " + std::to_string(part);
            ExpectFrontFacesOutward(first, partSize, partCentre, what);
            ExpectNormals(first, partSize, partCentre, row.normals, what);
        }
        if (row.texturedBox)
            ExpectBoxTexture(model, !row.keptCentres.empty(), "texture coordinates");
    }
}

namespace
{
struct FailureCase
{
    const char* name;
    std::function<void(const ScratchFolder&)> setUp;
    std::vector<std::string> arguments; // "@" stands for the folder
    int exitCode;
    std::string message; // the start of stderr, "@" standing for the folder
};

std::string InFolder(std::string text, const ScratchFolder& folder)
{
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1))
        text.replace(at, 1, folder.Path());
    return text;
}

void Nothing(const ScratchFolder&) {}
void Box(const ScratchFolder& f) { f.Write("box.obj", ObjBox(true)); }

// 447 cubes of 100000 triangles and one of 39243: 44739243 triangles,
// 134217729 vertices, two more than fit a 32-bit byte width of 32-byte vertices.
void OverTheVertexLimit(const ScratchFolder& f)
{
    std::string nodes;
    for (int n = 0; n < 447; ++n)
        nodes += "{\"mesh\":1},";
    nodes += "{\"mesh\":2}";
    std::string sceneNodes;
    for (int n = 0; n < 448; ++n)
        sceneNodes += (n > 0 ? "," : "") + std::to_string(n);
    WriteGltf(f, {12, 100000, 39243}, nodes, sceneNodes);
}

const FailureCase FailureCases[] = {
    {"no paths", Nothing, {}, 2, "vexelo-model: INPUT and OUTPUT are needed\nusage:"},
    {"one path", Box, {"@/box.obj"}, 2, "vexelo-model: INPUT and OUTPUT are needed\nusage:"},
    {"three paths", Box, {"@/box.obj", "@/out.txt", "@/more.txt"}, 2, "vexelo-model: more than two paths given\n"},
    {"unknown option", Box, {"--fast", "@/box.obj", "@/out.txt"}, 2, "vexelo-model: unknown option --fast\n"},
    {"missing input", Nothing, {"@/missing.obj", "@/out.txt"}, 1,
     "vexelo-model: @/missing.obj: cannot import: No such file or directory\n"},
    {"a folder as input", Nothing, {"@", "@/out.txt"}, 1, "vexelo-model: @: cannot import: not a file\n"},
    {"text no importer reads", [](const ScratchFolder& f) { f.Write("notes.txt", "hello\n"); },
     {"@/notes.txt", "@/out.txt"}, 1, "vexelo-model: @/notes.txt: cannot import: No suitable reader found"},
    {"lines and points only",
     [](const ScratchFolder& f) { f.Write("lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\nl 2 3\np 1\n"); },
     {"@/lines.obj", "@/out.txt"}, 1, "vexelo-model: @/lines.obj: no triangles (only points, lines or nothing to draw)\n"},
    {"a position beyond float",
     [](const ScratchFolder& f) { f.Write("huge.obj", "v 1e39 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\n"); },
     {"@/huge.obj", "@/out.txt"}, 1, "vexelo-model: @/huge.obj: a vertex position is not a finite number\n"},
    {"every vertex at one point",
     [](const ScratchFolder& f) { f.Write("point.obj", "v 1 1 1\nv 1 1 1\nv 1 1 1\nf 1 2 3\n"); },
     {"@/point.obj", "@/out.txt"}, 1, "vexelo-model: @/point.obj: all vertices lie at one point\n"},
    {"more vertices than Engine reads", OverTheVertexLimit, {"@/scene.gltf", "@/out.txt"}, 1,
     "vexelo-model: @/scene.gltf: 134217729 vertices, more than Engine reads (134217727)\n"},
    {"output in a missing folder", Box, {"@/box.obj", "@/missing/out.txt"}, 1,
     "vexelo-model: @/missing/out.txt: cannot create a file beside it: No such file or directory\n"},
    {"output names a folder", [](const ScratchFolder& f) { Box(f); std::filesystem::create_directory(f.Path("sub")); },
     {"@/box.obj", "@/sub"}, 1, "vexelo-model: @/sub: cannot replace it: Is a directory\n"},
};
}

// A failure says what is wrong with which file, leaves an existing output as
// it was and leaves nothing else behind.
TEST(ConverterFailures, EachNamesTheFileAndCauseAndLeavesTheOutputAlone)
{
    for (const FailureCase& row : FailureCases)
    {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        row.setUp(folder);
        folder.Write("out.txt", "Vertex Count: 0\n\nData:\n\n");
        const std::vector<std::string> before = folder.Names();
        std::vector<std::string> arguments;
        for (const std::string& argument : row.arguments)
            arguments.push_back(InFolder(argument, folder));
        const ConverterRun run = ConverterRun::Start(arguments, folder.Path(), 60);

        EXPECT_EQ(run.exitCode, row.exitCode) << run.Describe();
        EXPECT_EQ(run.err.rfind(InFolder(row.message, folder), 0), 0u) << run.err;
        if (row.exitCode == 1)
        {
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
        }
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(folder.Names(), before);
        EXPECT_EQ(folder.Read("out.txt"), "Vertex Count: 0\n\nData:\n\n");
    }
}

// Shortest round-trip text for every kind of float, read back by Engine's
// reader bit for bit; the new file replaces the old one whole.
TEST(ConverterRoundTrip, TheReaderGetsBackEveryFloatBitForBit)
{
    using limits = std::numeric_limits<float>;
    std::vector<float> values = {0.0f, -0.0f, 1.0f, -1.0f, 0.1f, 1.0f / 3, 2.0f / 3, 16777216.0f, 16777218.0f,
                                 1e-7f, 123456.79f, limits::min(), -limits::min(), limits::denorm_min(),
                                 3 * limits::denorm_min(), limits::max(), -limits::max(), limits::epsilon(),
                                 std::nextafter(1.0f, 2.0f), std::nextafter(1.0f, 0.0f), 0.30000001f, 9.99999944e-11f};
    std::mt19937 random(20240611);
    while (values.size() < 8 * 4000)
    {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
    }
    std::vector<ModelVertex> vertices(values.size() / 8);
    std::memcpy(vertices.data(), values.data(), vertices.size() * sizeof(ModelVertex));

    ScratchFolder folder;
    folder.Write("model.txt", std::string(1000000, 'x'));
    std::string error;
    ASSERT_TRUE(ModelFileWriter::Write(folder.Path("model.txt"), vertices, error)) << error;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"model.txt"});
    EXPECT_EQ(folder.Read("model.txt").rfind("Vertex Count: 4000\n\nData:\n\n", 0), 0u);

    const std::vector<ModelVertex> read = ReadModel(folder.Path("model.txt"));
    ASSERT_EQ(read.size(), vertices.size());
    const float* got = &read[0].x;
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(std::memcmp(&got[i], &values[i], sizeof(float)), 0)
            << "value " << i << ": wrote " << values[i] << ", read " << got[i];
}
