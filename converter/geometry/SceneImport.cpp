#include "SceneImport.h"

#include "Progress.h"

#include <assimp/config.h>
#include <assimp/ProgressHandler.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <filesystem>
#include <memory>
#include <system_error>

namespace
{
// Assimp hands every format over right-handed, front faces counter-clockwise,
// v measured from the bottom of the image. Engine is left-handed, draws
// clockwise faces and measures v from the top: mirror z, reverse each
// triangle's order and flip v. Normals are not generated here: Assimp's
// generators give a vertex shared by several faces only one face's normal.
const unsigned int ImportSteps = aiProcess_Triangulate | aiProcess_ValidateDataStructure |
                                 aiProcess_ConvertToLeftHanded;

// Assimp's progress, reading then post-processing, as a fraction of the import.
class ImportProgress : public Assimp::ProgressHandler
{
public:
    explicit ImportProgress(Progress& progress) : progress(progress) {}
    bool Update(float fraction) override
    {
        progress.Fraction(fraction);
        return true;
    }

private:
    Progress& progress;
};

// One line per message: some importers' errors span several.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}
}

SceneImport::SceneImport()
{
    // A file with bones and no mesh would otherwise come out as a made-up
    // skeleton mesh instead of failing for having no triangles.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
}

// The importer would delete a handler it still holds.
SceneImport::~SceneImport()
{
    importer.SetProgressHandler(nullptr);
}

const aiScene* SceneImport::Read(const std::string& path, std::string& error, Progress* progress)
{
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (code)
    {
        error = code.message();
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status))
    {
        error = "not a file";
        return nullptr;
    }
    std::unique_ptr<ImportProgress> handler;
    if (progress != nullptr && progress->Wanted())
    {
        handler = std::make_unique<ImportProgress>(*progress);
        importer.SetProgressHandler(handler.get());
    }
    const aiScene* scene = importer.ReadFile(path, ImportSteps);
    importer.SetProgressHandler(nullptr);
    if (scene == nullptr)
    {
        error = OneLine(importer.GetErrorString());
        if (error == "std::bad_alloc")
            error = "it asks for more memory than there is room for";
    }
    return scene;
}
