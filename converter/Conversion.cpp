#include "Conversion.h"

#include "ModelFileWriter.h"
#include "SceneImport.h"
#include "TriangleListBuilder.h"

#include <assimp/scene.h>

#include <algorithm>
#include <filesystem>

bool Conversion::Run(const std::string& input, const std::string& output, const Options& options,
                     std::string& summary, std::string& error)
{
    SceneImport import;
    std::string cause;
    const aiScene* scene = import.Read(input, cause);
    if (scene == nullptr)
    {
        error = input + ": cannot import: " + cause;
        return false;
    }
    const UpAxis up = options.up ? *options.up : UpAxis::OfScene(*scene);
    TriangleListBuilder::Result model;
    if (!TriangleListBuilder::Build(*scene, up.Turn(), options.flatNormals, model, cause) ||
        (!options.keepSize && !TriangleListBuilder::FitToCube(model.vertices, cause)))
    {
        error = input + ": " + cause;
        return false;
    }
    if (!ModelFileWriter::Write(output, model.vertices, cause))
    {
        error = output + ": " + cause;
        return false;
    }
    summary = Summary(input, *scene, model.meshes, model.meshesGivenNormals, model.vertices.size(),
                      options.flatNormals);
    if (!up.IsY())
        summary += ", turned: " + up.Name() + " up";
    return true;
}

std::string Conversion::Summary(const std::string& input, const aiScene& scene, int meshes, int meshesGivenNormals,
                                std::size_t vertexCount, bool flatNormals)
{
    std::string line = input + ": " + std::to_string(meshes) + (meshes == 1 ? " mesh, " : " meshes, ") +
                       std::to_string(vertexCount / 3) + " triangles, " + std::to_string(vertexCount) + " vertices, ";
    const std::string kind = flatNormals ? "flat" : "smooth";
    if (meshesGivenNormals == 0)
        line += "normals from the file";
    else if (meshesGivenNormals == meshes)
        line += "normals generated (" + kind + ")";
    else
        line += "normals generated (" + kind + ") for " + std::to_string(meshesGivenNormals) + " of " +
                std::to_string(meshes) + " meshes";
    const std::string texture = DiffuseTexture(input, scene);
    if (!texture.empty())
        line += texture.front() == '*' ? ", texture embedded in the file" : ", texture: " + texture;
    return line;
}

// The first diffuse (or base colour) texture of a mesh with triangles, as a
// path from the working directory; "*..." for one embedded in the file.
std::string Conversion::DiffuseTexture(const std::string& input, const aiScene& scene)
{
    for (unsigned int m = 0; m < scene.mNumMeshes; ++m)
    {
        const aiMesh& mesh = *scene.mMeshes[m];
        if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0 || mesh.mMaterialIndex >= scene.mNumMaterials)
            continue;
        const aiMaterial& material = *scene.mMaterials[mesh.mMaterialIndex];
        aiString name;
        if (material.GetTexture(aiTextureType_DIFFUSE, 0, &name) != AI_SUCCESS &&
            material.GetTexture(aiTextureType_BASE_COLOR, 0, &name) != AI_SUCCESS)
            continue;
        std::string path = name.C_Str();
        if (path.empty())
            continue;
        if (path.front() == '*' || scene.GetEmbeddedTexture(path.c_str()) != nullptr)
            return "*";
        // Files made on Windows name their textures with backslashes.
        std::replace(path.begin(), path.end(), '\\', '/');
        const std::filesystem::path texture(path);
        if (texture.is_absolute())
            return texture.lexically_normal().string();
        return (std::filesystem::path(input).parent_path() / texture).lexically_normal().string();
    }
    return "";
}
