// Arbitrary bytes along the baker's path from an image file to its tile:
// ImageDecoder's size check and decoding, then the texels placed into an
// atlas laid out by TilePacker, once at the side the baker picks (at least
// 16) and once at half of it so that the image is scaled, beside a tile of
// the image's mean colour; then the smaller levels. A refused file decodes to
// nothing; a decoded one has the size its header gave; placing an image
// writes inside its own tile only, down to the last level, and its margin
// repeats its edge texels.
#include "FuzzCheck.h"
#include "ImageDecoder.h"
#include "TextureAtlas.h"
#include "TilePacker.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// ImageDecoder's caps allow 256 MB of texels, which one input of a few
// kilobytes can ask for (a TGA or BMP header decodes in full from no data).
// The fuzzer's malloc limit is kept far below that, so larger images stop
// here, after the size check and before decoding. Scaling costs rows times
// the tile's side, which makes a thin image of 2^16 texels take seconds under
// the sanitizers: sides stop at 1024.
const std::int64_t FuzzMaxTexels = std::int64_t(1) << 16;
const int FuzzMaxSide = 1024;

const float One[4] = {1, 1, 1, 1};
const float Half[4] = {0.5f, 0.75f, 1, 1};
const ColourFactor White(One, false);
const ColourFactor Tinted(Half, true);

void CheckRefused(const std::uint8_t* data, std::size_t size)
{
    Image image;
    std::string why;
    Require(!ImageDecoder::Decode(data, size, image, why), "bytes whose size is refused are not decoded");
    Require(image.width == 0 && image.height == 0 && image.rgba.empty(), "a refused image stays empty");
    Require(!why.empty(), "a refusal says why");
}

void CheckMean(const Image& image, const Rgba& mean)
{
    for (int c = 0; c < 3; ++c)
    {
        std::uint8_t low = 255, high = 0;
        for (std::size_t i = static_cast<std::size_t>(c); i < image.rgba.size(); i += 4)
        {
            low = std::min(low, image.rgba[i]);
            high = std::max(high, image.rgba[i]);
        }
        Require(mean[c] >= low && mean[c] <= high, "the mean colour lies between the image's extremes");
    }
    Require(mean[3] == 255, "the mean colour is opaque");
}

const std::uint8_t* TexelAt(const TextureAtlas& atlas, std::uint32_t level, std::uint32_t x, std::uint32_t y)
{
    return atlas.Levels().Data(level) + std::size_t(y) * atlas.Levels().Level(level).rowPitch + 4 * std::size_t(x);
}

// A tile of one colour keeps it on every level it spans: nothing written
// beside it, at the top or by the 2 x 2 averages, reaches into it.
void CheckColourTile(const TextureAtlas& atlas, const Tile& tile, const Rgba& colour, std::uint32_t levels)
{
    for (std::uint32_t level = 0; level < levels; ++level)
    {
        const std::uint32_t side = std::max(tile.side >> level, 1u);
        for (std::uint32_t y = 0; y < side; ++y)
            for (std::uint32_t x = 0; x < side; ++x)
                Require(std::memcmp(TexelAt(atlas, level, (tile.x >> level) + x, (tile.y >> level) + y), colour.data(),
                                    4) == 0,
                        "a colour tile keeps its colour on its levels");
    }
}

// Unscaled and white, the image's region is the image, made opaque.
void CheckCopied(const TextureAtlas& atlas, const Region& region, const Image& image)
{
    for (std::uint32_t y = 0; y < region.height; ++y)
        for (std::uint32_t x = 0; x < region.width; ++x)
        {
            const std::uint8_t* texel = TexelAt(atlas, 0, region.x + x, region.y + y);
            const std::uint8_t* source = image.rgba.data() + 4 * (std::size_t(y) * region.width + x);
            Require(std::memcmp(texel, source, 3) == 0 && texel[3] == 255, "an image that fits is copied");
        }
}

// Every texel of the tile outside the region is the region's nearest texel.
void CheckMargin(const TextureAtlas& atlas, const Tile& tile, const Region& region)
{
    Require(region.x >= tile.x + 1 && region.y >= tile.y + 1 && region.x + region.width < tile.x + tile.side &&
                region.y + region.height < tile.y + tile.side,
            "the image leaves a margin on every side");
    for (std::uint32_t y = tile.y; y < tile.y + tile.side; ++y)
        for (std::uint32_t x = tile.x; x < tile.x + tile.side; ++x)
        {
            const std::uint32_t nearX = std::clamp(x, region.x, region.x + region.width - 1);
            const std::uint32_t nearY = std::clamp(y, region.y, region.y + region.height - 1);
            Require(std::memcmp(TexelAt(atlas, 0, x, y), TexelAt(atlas, 0, nearX, nearY), 4) == 0,
                    "the margin repeats the image's edge");
        }
}

void CheckOpaque(const TextureAtlas& atlas, const Tile& tile)
{
    for (std::uint32_t y = 0; y < tile.side; ++y)
        for (std::uint32_t x = 0; x < tile.side; ++x)
            Require(TexelAt(atlas, 0, tile.x + x, tile.y + y)[3] == 255, "a placed image is opaque");
}

void PlaceInTiles(const Image& image)
{
    const std::uint32_t side = std::max(16u, TilePacker::SideFor(image.width, image.height));
    std::vector<Tile> tiles = {{side}, {side / 2}, {4}};
    std::uint32_t width = 0, height = 0;
    Require(TilePacker::Pack(tiles, width, height), "three small tiles fit");
    TextureAtlas atlas;
    Require(atlas.Allocate(width, height), "the atlas is allocated");
    const Rgba mean = TextureAtlas::MeanColour(image, White);
    CheckMean(image, mean);
    atlas.Fill(tiles[2], mean);
    Require(atlas.Place(image, tiles[0], White), "the image is placed at its own side");
    Require(atlas.Place(image, tiles[1], Tinted), "the image is placed scaled");
    const Region region = TextureAtlas::ImageRegion(tiles[0], image.width, image.height);
    if (image.width == int(region.width) && image.height == int(region.height))
        CheckCopied(atlas, region, image);
    CheckMargin(atlas, tiles[0], region);
    CheckMargin(atlas, tiles[1], TextureAtlas::ImageRegion(tiles[1], image.width, image.height));
    CheckOpaque(atlas, tiles[1]);
    CheckColourTile(atlas, tiles[2], mean, 1);
    atlas.MakeSmallerLevels();
    CheckColourTile(atlas, tiles[2], mean, 3);
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int width = 0, height = 0;
    std::string why;
    if (!ImageDecoder::ReadSize(data, size, width, height, why))
    {
        CheckRefused(data, size);
        return 0;
    }
    std::string unused;
    Require(ImageDecoder::WithinCaps(width, height, unused), "an accepted size is within the caps");
    if (std::int64_t(width) * height > FuzzMaxTexels || width > FuzzMaxSide || height > FuzzMaxSide)
        return 0;
    Image image;
    if (!ImageDecoder::Decode(data, size, image, why))
        return 0;
    Require(image.width == width && image.height == height, "the decoded size is the one the header gave");
    Require(image.rgba.size() == std::size_t(width) * std::size_t(height) * 4, "four bytes per texel");
    PlaceInTiles(image);
    return 0;
}
