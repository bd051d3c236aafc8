// The program's model: a cube whose faces, seen from outside, are clockwise on
// screen (front faces with back faces culled), textured 0..1, normals outward.
#include "ModelReadResult.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

namespace
{
const char* const CubeFile = ENGINE_DATA_DIR "/cube.txt";

struct Vector
{
    float x, y, z;
};

Vector Position(const ModelVertex& v) { return {v.x, v.y, v.z}; }
Vector Normal(const ModelVertex& v) { return {v.nx, v.ny, v.nz}; }
Vector Minus(Vector a, Vector b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The usual formula; in left-handed coordinates it follows the left-hand rule,
// so for a triangle that is clockwise as seen from a viewer it points at the viewer.
Vector Cross(Vector a, Vector b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool SameNormal(const ModelVertex& a, const ModelVertex& b)
{
    return a.nx == b.nx && a.ny == b.ny && a.nz == b.nz;
}
}

TEST(CubeModel, ReadsAs36VerticesBothWays)
{
    const ModelReadResult cube = ModelReadResult::ReadFile(CubeFile);
    ASSERT_TRUE(cube.ok) << CubeFile;
    ASSERT_EQ(cube.count, 36);
    EXPECT_EQ(ModelReadResult::Difference(ModelReadResult::ReadReference(CubeFile), cube), "");
}

TEST(CubeModel, EveryTriangleIsClockwiseFromOutsideWithOutwardUnitNormals)
{
    const ModelReadResult cube = ModelReadResult::ReadFile(CubeFile);
    ASSERT_EQ(cube.count, 36);
    std::set<std::tuple<float, float, float>> normals;
    for (int t = 0; t < 12; ++t)
    {
        const ModelVertex* v = &cube.vertices[static_cast<std::size_t>(t) * 3];
        ASSERT_TRUE(SameNormal(v[0], v[1]) && SameNormal(v[0], v[2])) << "triangle " << t;
        const Vector normal = Normal(v[0]);
        EXPECT_FLOAT_EQ(Dot(normal, normal), 1.0f) << "triangle " << t;
        normals.insert(std::make_tuple(normal.x, normal.y, normal.z));

        const Vector winding = Cross(Minus(Position(v[1]), Position(v[0])), Minus(Position(v[2]), Position(v[0])));
        EXPECT_GT(Dot(winding, normal), 0.0f) << "triangle " << t << " is not clockwise seen from outside";
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_FLOAT_EQ(Dot(Position(v[i]), normal), 1.0f) << "vertex off its face, triangle " << t;
            EXPECT_LE(std::fabs(v[i].x), 1.0f);
            EXPECT_LE(std::fabs(v[i].y), 1.0f);
            EXPECT_LE(std::fabs(v[i].z), 1.0f);
        }
    }
    EXPECT_EQ(normals.size(), 6u) << "six faces, one normal each";
}

TEST(CubeModel, EachFaceShowsTheWholeTextureUnmirrored)
{
    const ModelReadResult cube = ModelReadResult::ReadFile(CubeFile);
    ASSERT_EQ(cube.count, 36);
    for (int face = 0; face < 6; ++face)
    {
        std::set<std::pair<float, float>> corners;
        for (int t = 0; t < 2; ++t)
        {
            const ModelVertex* v = &cube.vertices[static_cast<std::size_t>(face * 6 + t * 3)];
            ASSERT_TRUE(SameNormal(v[0], cube.vertices[static_cast<std::size_t>(face) * 6]))
                << "a face is two triangles in a row";
            for (int i = 0; i < 3; ++i)
            {
                EXPECT_TRUE(v[i].tu == 0.0f || v[i].tu == 1.0f);
                EXPECT_TRUE(v[i].tv == 0.0f || v[i].tv == 1.0f);
                corners.insert(std::make_pair(v[i].tu, v[i].tv));
            }
            // With v growing downwards, a triangle clockwise on screen is also
            // clockwise in the image unless the texture is mirrored.
            const float du1 = v[1].tu - v[0].tu, dv1 = v[1].tv - v[0].tv;
            const float du2 = v[2].tu - v[0].tu, dv2 = v[2].tv - v[0].tv;
            EXPECT_GT(du1 * dv2 - dv1 * du2, 0.0f) << "face " << face << " triangle " << t;
        }
        EXPECT_EQ(corners.size(), 4u) << "face " << face << " uses all four texture corners";
    }
}
