#pragma once
#include <assimp/Importer.hpp>

#include <string>

class Progress;
struct aiScene;

// One Assimp import: polygons cut into triangles, the data checked, and
// everything turned into Engine's conventions. The scene lives as long as
// this object.
class SceneImport
{
public:
    SceneImport();
    ~SceneImport();
    SceneImport(const SceneImport&) = delete;
    SceneImport& operator=(const SceneImport&) = delete;

    // Null on failure, with the cause in error. How far the import has come
    // goes to progress, when given, where that is wanted.
    const aiScene* Read(const std::string& path, std::string& error, Progress* progress = nullptr);

private:
    Assimp::Importer importer;
};
