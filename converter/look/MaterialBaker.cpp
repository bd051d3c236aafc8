#include "MaterialBaker.h"

#include "ColourFactor.h"
#include "ImageSource.h"
#include "Progress.h"
#include "SrgbCurve.h"
#include "TextureAtlas.h"
#include "TilePacker.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <unordered_map>

namespace fs = std::filesystem;

namespace
{
// A colour's tile keeps its colour on its own levels: 4 x 4, 2 x 2, 1 x 1.
const std::uint32_t ColourSide = 4;
// An image's tile is at least this wide: a small image keeps its own size
// inside, with a margin wider than the least (TextureAtlas::Margin).
const std::uint32_t MinImageSide = 16;
// Past this many distinct vertex colours the palette drops low bits.
const std::uint32_t MaxPaletteSide = 1024;
// Coordinates a little past 0 or 1 are a seam drawn loosely, not repetition:
// taken as the edge, the few texels past it show the edge's colour.
const float Slack = 1.0f / 16;

enum class LookKind
{
    Image,
    Colour,
    MeanColour
};

struct Look
{
    LookKind kind = LookKind::Colour;
    std::unique_ptr<ImageSource> source;
    float factor[4] = {1, 1, 1, 1};
    int width = 0;
    int height = 0;
    Region region; // of an image, once placed
    std::vector<std::string> materials;
    bool used = false;          // by triangles that are not vertex-coloured
    bool coordinates = true;    // every triangle that uses it has some
    bool inside = true;         // and they stay inside 0 to 1
    std::size_t tile = 0;
};

std::uint8_t Unit(float value)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(std::isfinite(value) ? value : 0.0f, 0.0f, 1.0f) * 255));
}

bool Inside(float value)
{
    return value >= -Slack && value <= 1 + Slack;
}

float Clamped(float value)
{
    return std::clamp(value, 0.0f, 1.0f);
}

// glTF defines its colour factors and vertex colours in linear light; the
// colours of other formats are taken as the display values they mostly are.
bool InLinearLight(const std::string& input)
{
    std::string extension = fs::path(input).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".gltf" || extension == ".glb";
}

void AddOnce(std::vector<std::string>& list, const std::string& entry)
{
    if (std::find(list.begin(), list.end(), entry) == list.end())
        list.push_back(entry);
}

class Bakery
{
public:
    Bakery(const aiScene& scene, const std::string& input, MaterialBaker::Report& report, Progress& progress)
        : scene(scene), folder(fs::path(input).parent_path()), linear(InLinearLight(input)), report(report),
          progress(progress), lookOfMaterial(scene.mNumMaterials + 1, -1)
    {
    }

    bool Run(const std::vector<MeshPart>& parts, std::vector<ModelVertex>& vertices,
             TextureAtlas& atlas, std::string& error)
    {
        SortParts(parts, vertices);
        const bool alone = ImageAlone();
        ReportImages();
        if (alone)
        {
            Look& look = *std::find_if(looks.begin(), looks.end(), [](const Look& l) { return l.used; });
            Image image;
            if (Decode(look, image))
                return CoverWith(image, look, atlas, error);
            report.imageAlone = false;
            look.kind = LookKind::Colour;
        }
        GatherPalette();
        if (!PackTiles(atlas, error))
            return false;
        FillTiles(atlas);
        CountTiles();
        PointIntoTiles(vertices, atlas);
        atlas.MakeSmallerLevels();
        return true;
    }

private:
    void ReportImages()
    {
        images = static_cast<int>(std::count_if(looks.begin(), looks.end(), [](const Look& look) {
            return look.used && look.kind == LookKind::Image;
        }));
        progress.Stage(images == 0 ? "baking the texture" : images == 1 ? "baking 1 image" : "baking " + std::to_string(images) + " images");
    }

    // Which look each part takes, and whether its coordinates allow a tile.
    void SortParts(const std::vector<MeshPart>& parts, const std::vector<ModelVertex>& vertices)
    {
        for (const MeshPart& part : parts)
        {
            const aiMesh& mesh = *scene.mMeshes[part.mesh];
            const int index = LookOf(mesh.mMaterialIndex);
            Look& look = looks[static_cast<std::size_t>(index)];
            if (mesh.mColors[0] != nullptr && look.kind != LookKind::Image)
            {
                paletteParts.push_back(part);
                continue;
            }
            look.used = true;
            lookOfPart.push_back({part, index});
            look.coordinates = look.coordinates && mesh.mTextureCoords[0] != nullptr;
            for (std::size_t v = part.first; v < part.first + part.count && look.inside; ++v)
                look.inside = Inside(vertices[v].tu) && Inside(vertices[v].tv);
        }
    }

    int LookOf(unsigned int material)
    {
        const unsigned int slot = std::min(material, scene.mNumMaterials);
        int& index = lookOfMaterial[slot];
        if (index < 0)
            index = DescribeLook(slot);
        return index;
    }

    // The material's colour factor and image; a look already made for the
    // same image (or colour) and factor is shared.
    int DescribeLook(unsigned int slot)
    {
        Look look;
        std::string name = "material " + std::to_string(slot);
        std::string image;
        if (slot < scene.mNumMaterials)
        {
            const aiMaterial& material = *scene.mMaterials[slot];
            ReadFactor(material, look.factor);
            aiString text;
            if (material.Get(AI_MATKEY_NAME, text) == AI_SUCCESS && text.length > 0)
                name = text.C_Str();
            if (material.GetTexture(aiTextureType_DIFFUSE, 0, &text) == AI_SUCCESS ||
                material.GetTexture(aiTextureType_BASE_COLOR, 0, &text) == AI_SUCCESS)
                image = text.C_Str();
        }
        const Rgba colour = ColourFactor(look.factor, linear).Colour();
        std::string key = std::string(colour.begin(), colour.end());
        if (!image.empty())
            OpenImage(look, image, key);
        auto [entry, added] = lookByKey.try_emplace(key, static_cast<int>(looks.size()));
        if (added)
            looks.push_back(std::move(look));
        looks[static_cast<std::size_t>(entry->second)].materials.push_back(name);
        return entry->second;
    }

    static void ReadFactor(const aiMaterial& material, float factor[4])
    {
        aiColor4D colour(1, 1, 1, 1);
        if (material.Get(AI_MATKEY_BASE_COLOR, colour) != AI_SUCCESS)
            material.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
        const float channels[4] = {colour.r, colour.g, colour.b, colour.a};
        for (int c = 0; c < 4; ++c)
            factor[c] = std::isfinite(channels[c]) ? Clamped(channels[c]) : 1.0f;
    }

    // The look becomes an image's when the image is there and readable.
    void OpenImage(Look& look, const std::string& image, std::string& key)
    {
        auto source = std::make_unique<ImageSource>(scene, folder, image);
        if (!source->Found())
        {
            AddOnce(report.missing, image);
            return;
        }
        key = source->Key() + '\n' + key;
        if (lookByKey.count(key) != 0)
            return;
        std::string why;
        if (!source->ReadSize(look.width, look.height, why))
        {
            AddOnce(report.unreadable, image + " (" + why + ")");
            return;
        }
        look.kind = LookKind::Image;
        look.source = std::move(source);
    }

    bool ImageAlone()
    {
        std::vector<Look*> used;
        for (Look& look : looks)
            if (look.used)
                used.push_back(&look);
        report.imageAlone = paletteParts.empty() && used.size() == 1 && used[0]->kind == LookKind::Image &&
                            used[0]->coordinates;
        for (Look* look : used)
            if (look->kind == LookKind::Image && !report.imageAlone && !(look->coordinates && look->inside))
            {
                look->kind = LookKind::MeanColour;
                for (const std::string& material : look->materials)
                    report.meanColoured.push_back(material);
            }
        return report.imageAlone;
    }

    // Each triangle's mean vertex colour, one texel per distinct colour.
    void GatherPalette()
    {
        std::vector<std::uint32_t> colours;
        for (const MeshPart& part : paletteParts)
        {
            const aiMesh& mesh = *scene.mMeshes[part.mesh];
            for (unsigned int f = 0; f < mesh.mNumFaces; ++f)
            {
                const aiFace& face = mesh.mFaces[f];
                if (face.mNumIndices != 3)
                    continue;
                aiColor4D sum(0, 0, 0, 0);
                for (unsigned int k = 0; k < 3; ++k)
                    sum = sum + mesh.mColors[0][face.mIndices[k]];
                colours.push_back(Display(sum.r / 3) | std::uint32_t(Display(sum.g / 3)) << 8 |
                                  std::uint32_t(Display(sum.b / 3)) << 16 | 0xFF000000u);
            }
        }
        for (int bits = 8;; --bits)
        {
            const std::uint32_t channel = (0xFFu << (8 - bits)) & 0xFFu;
            MakePalette(colours, channel | channel << 8 | channel << 16 | 0xFF000000u);
            if (palette.size() <= std::size_t(MaxPaletteSide) * MaxPaletteSide || bits == 1)
                break;
        }
    }

    // A colour channel as Engine's texel; in linear light the mean of the
    // corners is taken before encoding, as light adds up.
    std::uint8_t Display(float value) const
    {
        return linear ? SrgbCurve::Encode(value) : Unit(value);
    }

    void MakePalette(const std::vector<std::uint32_t>& colours, std::uint32_t mask)
    {
        palette.clear();
        paletteIndices.clear();
        std::unordered_map<std::uint32_t, std::uint32_t> indexOf;
        for (std::uint32_t colour : colours)
        {
            const auto entry = indexOf.try_emplace(colour & mask, static_cast<std::uint32_t>(palette.size())).first;
            if (entry->second == palette.size())
                palette.push_back(colour & mask);
            paletteIndices.push_back(entry->second);
        }
    }

    bool PackTiles(TextureAtlas& atlas, std::string& error)
    {
        for (Look& look : looks)
            if (look.used)
            {
                look.tile = tiles.size();
                const bool image = look.kind == LookKind::Image;
                tiles.push_back({image ? std::max(MinImageSide, TilePacker::SideFor(look.width, look.height)) : ColourSide});
            }
        if (!palette.empty())
        {
            paletteTile = tiles.size();
            std::uint32_t side = 1;
            while (std::uint64_t(side) * side < palette.size())
                side *= 2;
            tiles.push_back({side, 0, 0, false});
        }
        std::uint32_t width = 0, height = 0;
        if (!TilePacker::Pack(tiles, width, height))
        {
            error = "too many materials to bake into one texture";
            return false;
        }
        if (!atlas.Allocate(width, height))
        {
            error = "not enough memory for the texture";
            return false;
        }
        return true;
    }

    void FillTiles(TextureAtlas& atlas)
    {
        for (Look& look : looks)
        {
            if (!look.used)
                continue;
            const Tile& tile = tiles[look.tile];
            const ColourFactor factor(look.factor, linear);
            Image image;
            if (look.kind != LookKind::Colour && !Decode(look, image))
                look.kind = LookKind::Colour;
            if (look.kind == LookKind::Image)
                progress.Fraction(double(++decoded) / images);
            // Shrunk to a few texels, a tile has no room for an image and its margin.
            look.region = TextureAtlas::ImageRegion(tile, image.width, image.height);
            if (look.kind == LookKind::Image && look.region.width == 0)
                look.kind = LookKind::MeanColour;
            if (look.kind == LookKind::Image)
                look.kind = atlas.Place(image, tile, factor) ? LookKind::Image : LookKind::Colour;
            if (look.kind == LookKind::MeanColour)
                atlas.Fill(tile, TextureAtlas::MeanColour(image, factor));
            if (look.kind == LookKind::Colour)
                atlas.Fill(tile, factor.Colour());
        }
        if (!palette.empty())
        {
            const Tile& tile = tiles[paletteTile];
            for (std::uint32_t i = 0; i < palette.size(); ++i)
            {
                const std::uint32_t c = palette[i];
                const Rgba colour{std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), 255};
                atlas.SetTexel(tile.x + i % tile.side, tile.y + i / tile.side, colour);
            }
        }
    }

    void CountTiles()
    {
        for (const Look& look : looks)
            if (look.used)
                (look.kind == LookKind::Image ? report.images : report.colours) += 1;
        report.palettes = palette.empty() ? 0 : 1;
    }

    bool Decode(const Look& look, Image& image)
    {
        std::string why;
        if (look.source->Decode(image, why))
            return true;
        AddOnce(report.unreadable, look.source->Name() + " (" + why + ")");
        return false;
    }

    // Onto an image's region, edge to edge: its margin keeps the filter
    // inside the tile. To the centre of a colour's tile, whose every level
    // down to its 1 x 1 is that colour.
    void PointIntoTiles(std::vector<ModelVertex>& vertices, const TextureAtlas& atlas) const
    {
        const float width = static_cast<float>(atlas.Width()), height = static_cast<float>(atlas.Height());
        for (const auto& [part, index] : lookOfPart)
        {
            const Look& look = looks[static_cast<std::size_t>(index)];
            const Tile& tile = tiles[look.tile];
            const float half = static_cast<float>(tile.side) / 2;
            const bool image = look.kind == LookKind::Image;
            const float x = image ? static_cast<float>(look.region.x) : static_cast<float>(tile.x) + half;
            const float y = image ? static_cast<float>(look.region.y) : static_cast<float>(tile.y) + half;
            const float w = image ? static_cast<float>(look.region.width) : 0.0f;
            const float h = image ? static_cast<float>(look.region.height) : 0.0f;
            for (std::size_t v = part.first; v < part.first + part.count; ++v)
            {
                vertices[v].tu = (x + Clamped(vertices[v].tu) * w) / width;
                vertices[v].tv = (y + Clamped(vertices[v].tv) * h) / height;
            }
        }
        std::size_t triangle = 0;
        for (const MeshPart& part : paletteParts)
            for (std::size_t v = part.first; v < part.first + part.count; v += 3, ++triangle)
            {
                const Tile& tile = tiles[paletteTile];
                const std::uint32_t column = paletteIndices[triangle] % tile.side;
                const std::uint32_t row = paletteIndices[triangle] / tile.side;
                for (std::size_t k = v; k < v + 3; ++k)
                {
                    vertices[k].tu = (static_cast<float>(tile.x + column) + 0.5f) / width;
                    vertices[k].tv = (static_cast<float>(tile.y + row) + 0.5f) / height;
                }
            }
    }

    // The one image as the whole texture, no larger than the largest tile.
    bool CoverWith(const Image& image, const Look& look, TextureAtlas& atlas, std::string& error)
    {
        report.images = 1;
        const double scale = std::min(1.0, double(TilePacker::MaxSide) / std::max(image.width, image.height));
        const auto scaled = [scale](int size) { return std::max(1u, static_cast<std::uint32_t>(std::lround(size * scale))); };
        if (!atlas.Allocate(scaled(image.width), scaled(image.height)) ||
            !atlas.Cover(image, ColourFactor(look.factor, linear)))
        {
            error = "not enough memory for the texture";
            return false;
        }
        atlas.MakeSmallerLevels();
        return true;
    }

    const aiScene& scene;
    const fs::path folder;
    const bool linear;
    MaterialBaker::Report& report;
    Progress& progress;
    int images = 0;
    int decoded = 0;
    std::vector<int> lookOfMaterial; // one more than materials: meshes without one
    std::vector<Look> looks;
    std::map<std::string, int> lookByKey;
    std::vector<std::pair<MeshPart, int>> lookOfPart;
    std::vector<MeshPart> paletteParts;
    std::vector<std::uint32_t> palette;
    std::vector<std::uint32_t> paletteIndices; // per triangle of the palette parts, in order
    std::vector<Tile> tiles;
    std::size_t paletteTile = 0;
};
}

bool MaterialBaker::Bake(const aiScene& scene, const std::string& input,
                         const std::vector<MeshPart>& parts, std::vector<ModelVertex>& vertices,
                         TextureAtlas& atlas, Report& report, std::string& error, Progress* progress)
{
    Progress none;
    Bakery bakery(scene, input, report, progress != nullptr ? *progress : none);
    return bakery.Run(parts, vertices, atlas, error);
}
