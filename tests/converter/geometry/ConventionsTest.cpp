// Models come out in Engine's conventions, by the rule the shipped cube
// follows: placed, turned and fitted as the file says, faces clockwise seen
// from outside, normals kept or generated, texture v from the top.
#include "ConverterTestSupport.h"
#include "PositionIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace
{

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

// The box of ObjBox as a Collada file whose up axis is z.
void ColladaZUp(const TempFolder& f)
{
    std::ostringstream positions, corners;
    for (const auto& s : Signs)
        positions << BoxCorner(s).x << ' ' << BoxCorner(s).y << ' ' << BoxCorner(s).z << ' ';
    for (const auto& quad : Quads)
        for (const int k : {0, 1, 2, 0, 2, 3})
            corners << quad[k] - 1 << ' ';
    Write(f.Path("box.dae"), R"(<?xml version="1.0"?><COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">)"
                             R"(<asset><up_axis>Z_UP</up_axis></asset><library_geometries><geometry id="box"><mesh><source id="p">)"
                             R"(<float_array id="a" count="24">)" + positions.str() + R"(</float_array><technique_common>)"
                             R"(<accessor source="#a" count="8" stride="3"><param name="X" type="float"/><param name="Y" type="float"/>)"
                             R"(<param name="Z" type="float"/></accessor></technique_common></source><vertices id="v">)"
                             R"(<input semantic="POSITION" source="#p"/></vertices><triangles count="12"><input semantic="VERTEX" source="#v" offset="0"/><p>)" +
                                 corners.str() + R"(</p></triangles></mesh></geometry></library_geometries><library_visual_scenes><visual_scene id="s">)"
                             R"(<node id="n"><instance_geometry url="#box"/></node></visual_scene></library_visual_scenes>)"
                             R"(<scene><instance_visual_scene url="#s"/></scene></COLLADA>)");
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
    const char* texture = ""; // what the summary says of it
};

const ConventionCase ConventionCases[] = {
    {"OBJ box with its own normals, texture coordinates and image",
     [](const TempFolder& f) {
         Write(f.Path("box.obj"), "mtllib box.mtl\nusemtl skin\n" + ObjBox(true));
         Write(f.Path("box.mtl"), "newmtl skin\nmap_Kd skin.png\n");
         ASSERT_EQ(std::system(("convert -size 2x2 xc:red 'png:" + f.Path("skin.png").string() + "'").c_str()), 0);
     },
     "box.obj", {"--keep-size"}, "normals from the file", {{2, 3, -1.5}}, nullptr, "",
     "2 x 2: the image alone, texture coordinates as they are"},
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
    // Turned by Assimp, as the STL box with --up z is by the converter.
    {"Collada box whose file says z is up", ColladaZUp, "box.dae", {"--keep-size"}, "normals generated (smooth)", {{2, 1.5, 3}}},
    // 3ds Max's box: 47.244 inches a side on z = 0, in metres by its node's
    // scale; Assimp 5.2 leaves out the node's 0.0001 shift along x.
    {"FBX box whose file records z up",
     [](const TempFolder& f) { fs::copy_file("/usr/share/assimp/models/FBX/embedded_ascii/box.FBX", f.Path("box.fbx")); },
     "box.fbx", {"--keep-size"}, "normals from the file", {{0, 0.6, 0}}, nullptr, "z"},
};
}

TEST(ConverterConventions, TheShippedCubeFollowsTheRuleAndItsFacingTrianglesRunClockwiseOnScreen)
{
    const std::vector<ModelVertex> cube = ReadModel(EngineData("cube.txt"));
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
        EXPECT_NE(run.out.find(row.texture), std::string::npos) << run.out;
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
