#include "TriangleListBuilder.h"

#include "PositionIndex.h"
#include "WorkThreads.h"

#include <assimp/scene.h>

#include <cmath>
#include <cstring>
#include <vector>
#include <utility>

static_assert(sizeof(ModelVertex) == 32, "Engine's limit counts 32-byte vertices");

namespace
{
struct Instance
{
    unsigned int mesh;
    aiMatrix4x4 transform;
};

struct Vector
{
    double x, y, z;
};

std::uint64_t TriangleCount(const aiMesh& mesh)
{
    std::uint64_t count = 0;
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f)
        count += mesh.mFaces[f].mNumIndices == 3;
    return count;
}

// Depth first, children in order, so the list follows the file.
bool CollectInstances(const aiScene& scene, const aiMatrix4x4& turn, std::vector<Instance>& instances,
                      std::string& error)
{
    if (scene.mRootNode == nullptr)
        return true;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene.mRootNode, turn * scene.mRootNode->mTransformation}};
    while (!pending.empty())
    {
        const auto [node, transform] = pending.back();
        pending.pop_back();
        for (unsigned int i = 0; i < node->mNumMeshes; ++i)
        {
            if (node->mMeshes[i] >= scene.mNumMeshes)
            {
                error = "a node names a mesh that does not exist";
                return false;
            }
            instances.push_back({node->mMeshes[i], transform});
        }
        for (unsigned int c = node->mNumChildren; c-- > 0;)
            pending.emplace_back(node->mChildren[c], transform * node->mChildren[c]->mTransformation);
    }
    return true;
}

Vector FaceNormal(const ModelVertex& a, const ModelVertex& b, const ModelVertex& c)
{
    const Vector u{double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
    const Vector v{double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

// The unit vector along v, else along fallback, else up.
void SetUnitNormal(ModelVertex& vertex, const Vector& v, const Vector& fallback)
{
    const Vector* choices[] = {&v, &fallback};
    for (const Vector* choice : choices)
    {
        const double length = std::sqrt(choice->x * choice->x + choice->y * choice->y + choice->z * choice->z);
        if (length > 0 && std::isfinite(length))
        {
            vertex.nx = static_cast<float>(choice->x / length);
            vertex.ny = static_cast<float>(choice->y / length);
            vertex.nz = static_cast<float>(choice->z / length);
            return;
        }
    }
    vertex.nx = 0;
    vertex.ny = 1;
    vertex.nz = 0;
}

// The corner's angle times the unit normal of its triangle: summed over the
// triangles that meet at a point, the usual smooth normal, which a cube's
// corner shares evenly among its three faces however they are cut.
Vector AngleWeightedNormal(const ModelVertex* triangle, int corner, const Vector& face)
{
    const ModelVertex& p = triangle[corner];
    const ModelVertex& q = triangle[(corner + 1) % 3];
    const ModelVertex& r = triangle[(corner + 2) % 3];
    const double length = std::sqrt(face.x * face.x + face.y * face.y + face.z * face.z);
    if (!(length > 0))
        return {0, 0, 0};
    const double dot = (double(q.x) - p.x) * (double(r.x) - p.x) + (double(q.y) - p.y) * (double(r.y) - p.y) +
                       (double(q.z) - p.z) * (double(r.z) - p.z);
    const double weight = std::atan2(length, dot) / length;
    return {face.x * weight, face.y * weight, face.z * weight};
}

// Until its normal is known, a vertex keeps its point's number where the
// normal goes: no array of numbers beside the vertices.
void KeepNumber(ModelVertex& vertex, std::uint32_t number)
{
    std::memcpy(&vertex.nx, &number, sizeof number);
}

std::uint32_t KeptNumber(const ModelVertex& vertex)
{
    std::uint32_t number;
    std::memcpy(&number, &vertex.nx, sizeof number);
    return number;
}

// Below this many corners a part is not worth a thread.
const std::size_t SmallestPart = 65536;

// The triangles' corners at the points numbered low to high: each adds its
// share to its point's sum, triangle after triangle.
void AddCorners(const ModelVertex* vertices, std::size_t count, std::uint32_t low, std::uint32_t high,
                std::vector<Vector>& sums)
{
    for (std::size_t t = 0; t < count; t += 3)
    {
        const std::uint32_t numbers[3] = {KeptNumber(vertices[t]), KeptNumber(vertices[t + 1]), KeptNumber(vertices[t + 2])};
        const auto ours = [low, high](std::uint32_t number) { return number >= low && number < high; };
        if (!ours(numbers[0]) && !ours(numbers[1]) && !ours(numbers[2]))
            continue;
        const Vector face = FaceNormal(vertices[t], vertices[t + 1], vertices[t + 2]);
        for (int corner = 0; corner < 3; ++corner)
            if (ours(numbers[corner]))
            {
                const Vector part = AngleWeightedNormal(vertices + t, corner, face);
                Vector& sum = sums[numbers[corner]];
                sum = {sum.x + part.x, sum.y + part.y, sum.z + part.z};
            }
    }
}

// At every point, the angle-weighted sum over all triangles that meet there,
// each added in triangle order. Threads share the points, not the triangles,
// so every sum is added up in that order.
std::vector<Vector> PointSums(ModelVertex* vertices, std::size_t count)
{
    std::uint32_t points = 0;
    {
        // A closed mesh has about one point for every six corners; the index
        // goes before the sums come.
        PositionIndex index(count / 6);
        for (std::size_t k = 0; k < count; ++k)
            KeepNumber(vertices[k], index.NumberOf(vertices[k]));
        points = index.Count();
    }
    std::vector<Vector> sums(points, Vector{0, 0, 0});
    const unsigned parts = WorkThreads::Parts(count, SmallestPart);
    WorkThreads::Run(parts, [&](unsigned part) {
        AddCorners(vertices, count, static_cast<std::uint32_t>(WorkThreads::First(points, part, parts)),
                   static_cast<std::uint32_t>(WorkThreads::First(points, part + 1, parts)), sums);
    });
    return sums;
}

// Sets every corner's normal from its triangle's face normal and the vector
// choose gives, on threads that share the triangles.
template <typename Choose>
void SetUnitNormals(ModelVertex* vertices, std::size_t count, const Choose& choose)
{
    const std::size_t triangles = count / 3;
    const unsigned parts = WorkThreads::Parts(count, SmallestPart);
    WorkThreads::Run(parts, [&](unsigned part) {
        const std::size_t end = 3 * WorkThreads::First(triangles, part + 1, parts);
        for (std::size_t t = 3 * WorkThreads::First(triangles, part, parts); t < end; t += 3)
        {
            const Vector face = FaceNormal(vertices[t], vertices[t + 1], vertices[t + 2]);
            for (std::size_t k = t; k < t + 3; ++k)
                SetUnitNormal(vertices[k], choose(vertices[k], face), face);
        }
    });
}

// The triangles' own normals (flat), or at every corner the angle-weighted
// sum over all triangles that meet at its position (smooth).
void GenerateNormals(ModelVertex* vertices, std::size_t count, bool flat)
{
    const std::vector<Vector> sums = flat ? std::vector<Vector>() : PointSums(vertices, count);
    SetUnitNormals(vertices, count, [&sums, flat](const ModelVertex& vertex, const Vector& face) {
        return flat ? face : sums[KeptNumber(vertex)];
    });
}

// The file's normals made unit length; a zero or broken one takes its triangle's.
void NormaliseNormals(ModelVertex* vertices, std::size_t count)
{
    SetUnitNormals(vertices, count, [](const ModelVertex& vertex, const Vector&) {
        return Vector{vertex.nx, vertex.ny, vertex.nz};
    });
}

// The bounding box as fmin and fmax make it, which keep the first of equal
// values (-0 or 0), but inline (positions are finite); a box taken after
// another keeps the other's bound on a tie, so the boxes of ranges taken in
// order make the box of the whole.
struct Box
{
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};

    void Take(const double (&lows)[3], const double (&highs)[3])
    {
        for (int axis = 0; axis < 3; ++axis)
        {
            low[axis] = lows[axis] < low[axis] ? lows[axis] : low[axis];
            high[axis] = highs[axis] > high[axis] ? highs[axis] : high[axis];
        }
    }
    void Take(float x, float y, float z)
    {
        const double position[3] = {x, y, z};
        Take(position, position);
    }
    void Take(const Box& other) { Take(other.low, other.high); }
};

float FiniteOrZero(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

// A mirroring transform turns the faces inside out unless each triangle's
// order is reversed too; normals turn with the inverse transpose.
bool AppendInstance(const aiMesh& mesh, const aiMatrix4x4& transform, bool flatNormals,
                    std::vector<ModelVertex>& vertices, std::string& error)
{
    const aiMatrix3x3 linear(transform);
    const aiMatrix3x3 normalTransform = aiMatrix3x3(linear).Inverse().Transpose();
    const bool mirrored = linear.Determinant() < 0;
    const unsigned int order[3] = {0, mirrored ? 2u : 1u, mirrored ? 1u : 2u};
    const aiVector3D* uv = mesh.mTextureCoords[0];
    const std::size_t first = vertices.size();
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f)
    {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3)
            continue;
        for (unsigned int k : order)
        {
            const unsigned int index = face.mIndices[k];
            if (index >= mesh.mNumVertices)
            {
                error = "a face names a vertex that does not exist";
                return false;
            }
            const aiVector3D position = transform * mesh.mVertices[index];
            if (!std::isfinite(position.x) || !std::isfinite(position.y) || !std::isfinite(position.z))
            {
                error = "a vertex position is not a finite number";
                return false;
            }
            ModelVertex vertex = {position.x, position.y, position.z, 0, 0, 0, 0, 0};
            if (uv != nullptr)
            {
                vertex.tu = FiniteOrZero(uv[index].x);
                vertex.tv = FiniteOrZero(uv[index].y);
            }
            if (mesh.mNormals != nullptr)
            {
                const aiVector3D normal = normalTransform * mesh.mNormals[index];
                vertex.nx = normal.x;
                vertex.ny = normal.y;
                vertex.nz = normal.z;
            }
            vertices.push_back(vertex);
        }
    }
    if (mesh.mNormals != nullptr)
        NormaliseNormals(vertices.data() + first, vertices.size() - first);
    else
        GenerateNormals(vertices.data() + first, vertices.size() - first, flatNormals);
    return true;
}
}

bool TriangleListBuilder::Build(const aiScene& scene, const aiMatrix4x4& turn, bool flatNormals, Result& result,
                                std::string& error)
{
    std::vector<Instance> instances;
    if (!CollectInstances(scene, turn, instances, error))
        return false;

    std::vector<std::uint64_t> triangles(scene.mNumMeshes);
    for (unsigned int m = 0; m < scene.mNumMeshes; ++m)
        triangles[m] = TriangleCount(*scene.mMeshes[m]);
    std::uint64_t total = 0;
    for (const Instance& instance : instances)
        total += triangles[instance.mesh];
    if (total == 0)
    {
        error = "no triangles (only points, lines or nothing to draw)";
        return false;
    }
    if (total * 3 > static_cast<std::uint64_t>(MaxVertexCount))
    {
        error = std::to_string(total * 3) + " vertices, more than Engine reads (" + std::to_string(MaxVertexCount) + ")";
        return false;
    }

    result.vertices.reserve(static_cast<std::size_t>(total * 3));
    for (const Instance& instance : instances)
    {
        const aiMesh& mesh = *scene.mMeshes[instance.mesh];
        if (triangles[instance.mesh] == 0)
            continue;
        const std::size_t first = result.vertices.size();
        if (!AppendInstance(mesh, instance.transform, flatNormals, result.vertices, error))
            return false;
        result.parts.push_back({instance.mesh, first, result.vertices.size() - first});
        ++result.meshes;
        result.meshesGivenNormals += mesh.mNormals == nullptr;
    }
    return true;
}

bool TriangleListBuilder::FitToCube(std::vector<ModelVertex>& vertices, std::string& error)
{
    const unsigned parts = WorkThreads::Parts(vertices.size(), SmallestPart);
    const auto range = [&vertices, parts](unsigned part, std::size_t& first, std::size_t& end) {
        first = WorkThreads::First(vertices.size(), part, parts);
        end = WorkThreads::First(vertices.size(), part + 1, parts);
    };
    std::vector<Box> boxes(parts);
    WorkThreads::Run(parts, [&](unsigned part) {
        std::size_t first = 0, end = 0;
        range(part, first, end);
        for (std::size_t k = first; k < end; ++k)
            boxes[part].Take(vertices[k].x, vertices[k].y, vertices[k].z);
    });
    Box box;
    for (const Box& part : boxes)
        box.Take(part);
    double extent = 0;
    for (int axis = 0; axis < 3; ++axis)
        extent = std::fmax(extent, box.high[axis] - box.low[axis]);
    if (!(extent > 0))
    {
        error = "all vertices lie at one point";
        return false;
    }
    const double scale = 2.0 / extent;
    const double centre[3] = {(box.low[0] + box.high[0]) / 2, (box.low[1] + box.high[1]) / 2,
                              (box.low[2] + box.high[2]) / 2};
    WorkThreads::Run(parts, [&](unsigned part) {
        std::size_t first = 0, end = 0;
        range(part, first, end);
        for (std::size_t k = first; k < end; ++k)
        {
            ModelVertex& vertex = vertices[k];
            vertex.x = static_cast<float>((vertex.x - centre[0]) * scale);
            vertex.y = static_cast<float>((vertex.y - centre[1]) * scale);
            vertex.z = static_cast<float>((vertex.z - centre[2]) * scale);
        }
    });
    return true;
}
