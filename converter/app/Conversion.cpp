#include "Conversion.h"

#include "BakeSummary.h"
#include "DdsWriter.h"
#include "MaterialBaker.h"
#include "ModelFileWriter.h"
#include "Progress.h"
#include "SceneImport.h"
#include "TextureAtlas.h"
#include "TriangleListBuilder.h"

#include <assimp/scene.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

Conversion::Conversion(std::string input, std::string output, Options options)
    : input(std::move(input)), output(std::move(output)), options(std::move(options)), modelFile(this->output),
      textureFile(TexturePath(this->output))
{
}

bool Conversion::Prepare(std::string& error)
{
    std::string cause;
    if (!modelFile.Open(cause))
    {
        error = output + ": " + cause;
        return false;
    }
    if (!options.keepCoordinates && !textureFile.Open(cause))
    {
        error = textureFile.Path() + ": " + cause;
        return false;
    }
    return true;
}

// The scene, the triangle list and the texture. They are freed with the
// conversion, which a worker never does: it ends without, and a model of
// millions of triangles in millions of blocks is a good deal to free.
struct Conversion::Made
{
    SceneImport import;
    TriangleListBuilder::Result model;
    TextureAtlas atlas;
};

Conversion::~Conversion() = default;

bool Conversion::Produce(Progress& progress, std::string& line)
{
    progress.Stage("importing");
    made = std::make_unique<Made>();
    TriangleListBuilder::Result& model = made->model;
    TextureAtlas& atlas = made->atlas;
    std::string cause;
    const aiScene* scene = made->import.Read(input, cause, &progress);
    if (scene == nullptr)
    {
        line = input + ": cannot import: " + cause;
        return false;
    }
    const UpAxis up = options.up ? *options.up : UpAxis::OfScene(*scene);
    MaterialBaker::Report baked;
    progress.Stage("building triangles");
    if (!TriangleListBuilder::Build(*scene, up.Turn(), options.flatNormals, model, cause) ||
        (!options.keepSize && !TriangleListBuilder::FitToCube(model.vertices, cause)))
    {
        line = input + ": " + cause;
        return false;
    }
    if (!options.keepCoordinates)
    {
        if (!MaterialBaker::Bake(*scene, input, model.parts, model.vertices, atlas, baked, cause, &progress))
        {
            line = input + ": " + cause;
            return false;
        }
    }
    progress.Stage("writing");
    if (!Written(modelFile, ModelFileWriter::Write(modelFile.Stream(), model.vertices), line) ||
        (!options.keepCoordinates && !Written(textureFile, DdsWriter::Write(textureFile.Stream(), atlas.Levels()), line)))
        return false;
    line = Summary(input, model.meshes, model.meshesGivenNormals, model.vertices.size(), options.flatNormals) +
           (up.IsY() ? "" : ", turned: " + up.Name() + " up") + "; " +
           (options.keepCoordinates ? "texture coordinates as they are, no texture baked"
                                    : BakeSummary::Line(textureFile.Path(), atlas.Width(), atlas.Height(), baked));
    return true;
}

// A write that went well, flushed into the file; else the error names it.
bool Conversion::Written(OutputFile& file, bool written, std::string& line)
{
    std::string cause;
    if (file.Flush(written, cause))
        return true;
    line = file.Path() + ": " + cause;
    return false;
}

bool Conversion::Commit(std::string& error)
{
    std::string cause;
    if (!modelFile.Close(true, cause))
    {
        error = output + ": " + cause;
        return false;
    }
    if (!options.keepCoordinates && (!textureFile.Close(true, cause) || !textureFile.Commit(cause)))
    {
        error = textureFile.Path() + ": " + cause;
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

std::string Conversion::TexturePath(const std::string& output)
{
    return fs::path(output).replace_extension(".dds").string();
}

unsigned Conversion::DefaultTimeLimit(const std::string& input)
{
    const unsigned base = 30, perMegabyte = 1;
    std::error_code code;
    const fs::path path(input);
    std::uintmax_t bytes = fs::file_size(path, code);
    if (code)
        bytes = 0;
    for (fs::directory_iterator entry(path.parent_path().empty() ? "." : path.parent_path(), code), end;
         !code && entry != end; entry.increment(code))
    {
        std::error_code sizeCode;
        const std::uintmax_t size = entry->file_size(sizeCode);
        if (entry->path().stem() == path.stem() && entry->path().filename() != path.filename() && !sizeCode)
            bytes += size;
    }
    const std::uintmax_t megabytes = (bytes + 999999) / 1000000;
    return megabytes > 100000000 ? 100000000 : base + perMegabyte * static_cast<unsigned>(megabytes);
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
