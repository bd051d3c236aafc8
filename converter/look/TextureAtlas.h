#pragma once
#include "ColourFactor.h"
#include "Image.h"
#include "MipChain.h"
#include "TilePacker.h"

#include <cstdint>

// Where an image lies in the atlas's top level: inside its tile, with a
// margin all round.
struct Region
{
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The one texture Engine draws a model with: R8G8B8A8_UNORM with its full
// chain of mip levels. Tiles are filled in the top level; the smaller levels
// are 2 x 2 averages, which stay inside each aligned power-of-two tile down to
// its own single texel.
class TextureAtlas
{
public:
    bool Allocate(std::uint32_t width, std::uint32_t height);

    void Fill(const Tile& tile, const Rgba& colour);
    void SetTexel(std::uint32_t x, std::uint32_t y, const Rgba& colour);
    // The image into its region of the tile (ImageRegion), scaled down where
    // it is larger; the margin around it repeats its edge texels outward.
    // Each texel is multiplied by factor.
    bool Place(const Image& image, const Tile& tile, const ColourFactor& factor);
    // The whole top level is the image, scaled to it, times factor.
    bool Cover(const Image& image, const ColourFactor& factor);

    void MakeSmallerLevels();

    std::uint32_t Width() const { return levels.Level(0).width; }
    std::uint32_t Height() const { return levels.Level(0).height; }
    const MipChain& Levels() const { return levels; }

    // The texels of a tile an image keeps clear of on each side.
    static std::uint32_t Margin(std::uint32_t side);
    // An image of that size in the tile: as large as it is, at most the tile
    // less its margins, centred. Empty for a tile too small to have room.
    static Region ImageRegion(const Tile& tile, int width, int height);
    // The image's average texel times factor; opaque.
    static Rgba MeanColour(const Image& image, const ColourFactor& factor);

private:
    bool Fit(const Image& image, const Region& region);
    void RepeatEdges(const Tile& tile, const Region& region);
    void Multiply(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height, const ColourFactor& factor);
    std::uint8_t* TexelAt(std::uint32_t x, std::uint32_t y);

    MipChain levels;
};
