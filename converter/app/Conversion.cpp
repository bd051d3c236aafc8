#include "Conversion.h"

#include "BakeSummary.h"
#include "DdsWriter.h"
#include "MaterialBaker.h"
#include "ModelFileWriter.h"
#include "OutputFile.h"
#include "SceneImport.h"
#include "TextureAtlas.h"
#include "TriangleListBuilder.h"

#include <assimp/scene.h>

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
    TextureAtlas atlas;
    MaterialBaker::Report baked;
    if (!TriangleListBuilder::Build(*scene, up.Turn(), options.flatNormals, model, cause) ||
        (!options.keepSize && !TriangleListBuilder::FitToCube(model.vertices, cause)) ||
        (!options.keepCoordinates &&
         !MaterialBaker::Bake(*scene, input, model.parts, model.vertices, atlas, baked, cause)))
    {
        error = input + ": " + cause;
        return false;
    }
    summary = Summary(input, model.meshes, model.meshesGivenNormals, model.vertices.size(), options.flatNormals) +
              (up.IsY() ? "" : ", turned: " + up.Name() + " up") + "; ";
    if (options.keepCoordinates)
    {
        summary += "texture coordinates as they are, no texture baked";
        if (ModelFileWriter::Write(output, model.vertices, cause))
            return true;
        error = output + ": " + cause;
        return false;
    }
    const std::string texture = TexturePath(output);
    summary += BakeSummary::Line(texture, atlas.Width(), atlas.Height(), baked);
    return WriteBoth(output, model.vertices, texture, atlas, error);
}

std::string Conversion::TexturePath(const std::string& output)
{
    return std::filesystem::path(output).replace_extension(".dds").string();
}

// Both complete beside their paths before either replaces anything; should
// the model file not take its place, the new texture goes again.
bool Conversion::WriteBoth(const std::string& output, const std::vector<ModelVertex>& vertices,
                           const std::string& texture, const TextureAtlas& atlas, std::string& error)
{
    OutputFile modelFile(output), textureFile(texture);
    std::string cause;
    if (!modelFile.Open(cause) || !modelFile.Close(ModelFileWriter::Write(modelFile.Stream(), vertices), cause))
    {
        error = output + ": " + cause;
        return false;
    }
    if (!textureFile.Open(cause) || !textureFile.Close(DdsWriter::Write(textureFile.Stream(), atlas.Levels()), cause) ||
        !textureFile.Commit(cause))
    {
        error = texture + ": " + cause;
        return false;
    }
    if (!modelFile.Commit(cause))
    {
        textureFile.Discard();
        error = output + ": " + cause;
        return false;
    }
    return true;
}

std::string Conversion::Summary(const std::string& input, int meshes, int meshesGivenNormals, std::size_t vertexCount,
                                bool flatNormals)
{
    const std::size_t triangles = vertexCount / 3;
    std::string line = input + ": " + std::to_string(meshes) + (meshes == 1 ? " mesh, " : " meshes, ") +
                       std::to_string(triangles) + (triangles == 1 ? " triangle, " : " triangles, ") +
                       std::to_string(vertexCount) + " vertices, ";
    const std::string kind = flatNormals ? "flat" : "smooth";
    if (meshesGivenNormals == 0)
        line += "normals from the file";
    else if (meshesGivenNormals == meshes)
        line += "normals generated (" + kind + ")";
    else
        line += "normals generated (" + kind + ") for " + std::to_string(meshesGivenNormals) + " of " +
                std::to_string(meshes) + " meshes";
    return line;
}
