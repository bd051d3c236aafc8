#pragma once
#include "UpAxis.h"

#include <cstddef>
#include <optional>
#include <string>

struct aiScene;

// One run of the converter: import INPUT, build the triangle list, fit it to
// Engine's cube unless told to keep its size, write OUTPUT.
class Conversion
{
public:
    struct Options
    {
        bool keepSize = false;
        bool flatNormals = false;
        std::optional<UpAxis> up; // unset: as the file says
    };

    // On success summary is the line that describes the result; on failure
    // error is a line that names the file at fault and the cause.
    static bool Run(const std::string& input, const std::string& output, const Options& options,
                    std::string& summary, std::string& error);

private:
    static std::string Summary(const std::string& input, const aiScene& scene, int meshes,
                               int meshesGivenNormals, std::size_t vertexCount, bool flatNormals);
    static std::string DiffuseTexture(const std::string& input, const aiScene& scene);
};
