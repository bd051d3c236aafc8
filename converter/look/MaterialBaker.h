#pragma once
#include "MeshPart.h"
#include "ModelVertex.h"

#include <string>
#include <vector>

struct aiScene;
class Progress;
class TextureAtlas;

// Bakes the look of every material a model's triangles use into the one
// texture Engine draws with, and points each vertex's texture coordinates
// into its material's tile:
// - a material with a diffuse or base-colour image: the image times the
//   material's colour, inside a margin of its own edge texels;
// - one without: a small tile of its colour;
// - a mesh with vertex colours and no image: each triangle's mean colour, one
//   texel of a palette tile.
// glTF's colour factors and vertex colours are linear light and are encoded
// for the screen (an image times its factor in linear light); other formats'
// colours are taken as display values.
// Texture coordinates outside 0 to 1 repeat an image, which a tile cannot:
// when the model has one image and nothing else, the texture is that image
// alone and the coordinates stay; otherwise such a material takes its image's
// mean colour. An image that cannot be found or read gives way to the
// material's colour.
class MaterialBaker
{
public:
    struct Report
    {
        bool imageAlone = false;
        int images = 0;    // tiles of an image
        int colours = 0;   // tiles of one colour
        int palettes = 0;  // tiles of vertex colours
        std::vector<std::string> meanColoured; // materials whose coordinates leave 0 to 1
        std::vector<std::string> missing;      // images not found, as the model names them
        std::vector<std::string> unreadable;   // images found but not read, with the cause
    };

    // False, with the cause in error, only when the tiles do not fit even
    // shrunk or memory runs short.
    // How many images it bakes, and how far it has come, goes to progress.
    static bool Bake(const aiScene& scene, const std::string& input, const std::vector<MeshPart>& parts,
                     std::vector<ModelVertex>& vertices, TextureAtlas& atlas, Report& report, std::string& error,
                     Progress* progress = nullptr);
};
