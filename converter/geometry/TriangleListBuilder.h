#pragma once
#include "MeshPart.h"
#include "ModelVertex.h"

#include <assimp/matrix4x4.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct aiScene;

// Every mesh instance of a scene, placed where its nodes put it, joined into
// one triangle list (vertex i is drawn as index i). Points and lines are left
// out. Normals are the file's, turned with their instance; a mesh without
// them gets generated ones, smooth or one per triangle.
class TriangleListBuilder
{
public:
    // Engine keeps 32-byte vertices in a buffer whose byte width has 32 bits.
    static const std::int64_t MaxVertexCount = UINT32_MAX / 32;

    // The vertices of one mesh instance: its triangles in the mesh's order.
    using Part = MeshPart;

    struct Result
    {
        std::vector<ModelVertex> vertices;
        std::vector<Part> parts;
        int meshes = 0;                  // mesh instances that have triangles
        int meshesGivenNormals = 0;      // of those, the ones whose normals were generated
    };

    // turn is applied on top of the scene's own transforms. False, with the
    // cause in error, for a scene without triangles, one with more vertices
    // than Engine takes, or positions that are not finite.
    static bool Build(const aiScene& scene, const aiMatrix4x4& turn, bool flatNormals, Result& result,
                      std::string& error);

    // Moves the centre of the bounding box to the origin and scales the model
    // uniformly so that its largest extent is 2. False if it has no extent.
    static bool FitToCube(std::vector<ModelVertex>& vertices, std::string& error);
};
