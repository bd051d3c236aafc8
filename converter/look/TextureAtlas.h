#pragma once
#include "Image.h"
#include "MipChain.h"
#include "TilePacker.h"

#include <array>
#include <cstdint>

using Rgba = std::array<std::uint8_t, 4>;

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
    // The image scaled to the tile's square, each texel multiplied by factor.
    bool Place(const Image& image, const Tile& tile, const float factor[4]);
    // The whole top level is the image, scaled to it, times factor.
    bool Cover(const Image& image, const float factor[4]);

    void MakeSmallerLevels();

    std::uint32_t Width() const { return levels.Level(0).width; }
    std::uint32_t Height() const { return levels.Level(0).height; }
    const MipChain& Levels() const { return levels; }

    // The image's average texel times factor; opaque.
    static Rgba MeanColour(const Image& image, const float factor[4]);
    static Rgba ColourOf(const float factor[4]);

private:
    void Multiply(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height, const float factor[4]);

    MipChain levels;
};
