#pragma once
#include "ModelVertex.h"
#include "UpAxis.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct aiScene;
class TextureAtlas;

// One run of the converter: import INPUT, build the triangle list, fit it to
// Engine's cube unless told to keep its size, bake the materials into one
// texture, write OUTPUT and the texture beside it. Told to keep the texture
// coordinates, it bakes nothing and writes OUTPUT alone.
class Conversion
{
public:
    struct Options
    {
        bool keepSize = false;
        bool flatNormals = false;
        std::optional<UpAxis> up; // unset: as the file says
        bool keepCoordinates = false;
    };

    // On success summary is the line that describes the result; on failure
    // error is a line that names the file at fault and the cause, and
    // neither file has changed.
    static bool Run(const std::string& input, const std::string& output, const Options& options,
                    std::string& summary, std::string& error);

    // OUTPUT with its extension replaced by ".dds".
    static std::string TexturePath(const std::string& output);

private:
    static bool WriteBoth(const std::string& output, const std::vector<ModelVertex>& vertices,
                          const std::string& texture, const TextureAtlas& atlas, std::string& error);
    static std::string Summary(const std::string& input, int meshes, int meshesGivenNormals, std::size_t vertexCount,
                               bool flatNormals);
};
