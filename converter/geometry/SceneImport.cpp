#include "SceneImport.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <filesystem>
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

const aiScene* SceneImport::Read(const std::string& path, std::string& error)
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
    const aiScene* scene = importer.ReadFile(path, ImportSteps);
    if (scene == nullptr)
    {
        error = OneLine(importer.GetErrorString());
        if (error == "std::bad_alloc")
            error = "it asks for more memory than there is room for";
    }
    return scene;
}
