#pragma once
#include "ModelVertex.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Writes Engine's model file: the count line, the "Data:" line, then one line
// of eight numbers per vertex, each in the shortest form that reads back as
// the same float.
class ModelFileWriter
{
public:
    // The file is written beside path under a temporary name and renamed over
    // path only once complete: on failure path is left as it was and the
    // temporary is gone. The cause of a failure goes to error.
    static bool Write(const std::string& path, const std::vector<ModelVertex>& vertices, std::string& error);

private:
    static std::FILE* CreateTemporary(const std::string& path, std::string& temporary);
    static bool WriteAll(std::FILE* file, const std::vector<ModelVertex>& vertices);
};
