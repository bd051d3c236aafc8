#include "TextureAtlas.h"

#include "PixelFormatTable.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
// Each r x r block of the image averaged into one texel: the box filter the
// smaller levels use, for an image a whole number of times its region's side.
void Average(const Image& image, std::uint8_t* corner, std::size_t pitch, std::uint32_t side)
{
    const std::size_t r = std::max<std::size_t>(1, std::size_t(image.width) / side), count = r * r;
    std::vector<std::uint32_t> sums(std::size_t(side) * 4);
    for (std::uint32_t y = 0; y < side; ++y)
    {
        std::fill(sums.begin(), sums.end(), 0u);
        for (std::size_t j = 0; j < r; ++j)
        {
            const std::uint8_t* in = image.rgba.data() + (y * r + j) * std::size_t(image.width) * 4;
            for (std::uint32_t* sum = sums.data(); sum != sums.data() + sums.size(); sum += 4)
                for (std::size_t i = 0; i < r; ++i, in += 4)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += in[c];
        }
        std::uint8_t* out = corner + y * pitch;
        for (std::size_t i = 0; i < sums.size(); ++i)
            out[i] = static_cast<std::uint8_t>((sums[i] + count / 2) / count);
    }
}
}

bool TextureAtlas::Allocate(std::uint32_t width, std::uint32_t height)
{
    if (!levels.Allocate(DxgiFormat::R8G8B8A8Unorm, width, height, MipChain::ChainLength(width, height, 0)))
        return false;
    std::memset(levels.Data(0), 0, static_cast<std::size_t>(levels.Level(0).size));
    return true;
}

void TextureAtlas::Fill(const Tile& tile, const Rgba& colour)
{
    for (std::uint32_t y = tile.y; y < tile.y + tile.side; ++y)
        for (std::uint32_t x = tile.x; x < tile.x + tile.side; ++x)
            SetTexel(x, y, colour);
}

void TextureAtlas::SetTexel(std::uint32_t x, std::uint32_t y, const Rgba& colour)
{
    std::memcpy(TexelAt(x, y), colour.data(), 4);
}

bool TextureAtlas::Place(const Image& image, const Tile& tile, const ColourFactor& factor)
{
    const Region region = ImageRegion(tile, image.width, image.height);
    if (region.width == 0 || !Fit(image, region))
        return false;
    RepeatEdges(tile, region);
    Multiply(tile.x, tile.y, tile.side, tile.side, factor);
    return true;
}

// A bilinear sample reads the two texels nearest it on each axis, so one at
// p texels from the tile's edge on level L reads nothing outside the tile
// while p >= 1/2. The image starts m texels in on the top level, m / 2^L on
// level L: the margin keeps level L clean while m >= 2^(L-1). The levels that
// count are those where the tile is at least 16 texels wide, and trilinear
// filtering blends each with the next one down, where it is 8 wide; there
// 2^L = side / 8, so m = side / 16. A smaller tile keeps one texel, which is
// clean on its top level and the next. Kept inside its tile, a sample never
// wraps round the texture's edge either.
std::uint32_t TextureAtlas::Margin(std::uint32_t side)
{
    return std::max(1u, side / 16);
}

Region TextureAtlas::ImageRegion(const Tile& tile, int width, int height)
{
    const std::uint32_t margin = Margin(tile.side);
    if (tile.side <= 2 * margin || width <= 0 || height <= 0)
        return {};
    const std::uint32_t room = tile.side - 2 * margin;
    const std::uint32_t w = std::min(room, static_cast<std::uint32_t>(width));
    const std::uint32_t h = std::min(room, static_cast<std::uint32_t>(height));
    return {tile.x + (tile.side - w) / 2, tile.y + (tile.side - h) / 2, w, h};
}

bool TextureAtlas::Fit(const Image& image, const Region& region)
{
    std::uint8_t* corner = TexelAt(region.x, region.y);
    const std::size_t pitch = levels.Level(0).rowPitch;
    const std::size_t rowBytes = std::size_t(region.width) * 4;
    if (image.width == int(region.width) && image.height == int(region.height))
    {
        for (std::uint32_t row = 0; row < region.height; ++row)
            std::memcpy(corner + row * pitch, image.rgba.data() + row * rowBytes, rowBytes);
        return true;
    }
    if (image.width == image.height && region.width == region.height && image.width % int(region.width) == 0)
    {
        Average(image, corner, pitch, region.width);
        return true;
    }
    return stbir_resize_uint8(image.rgba.data(), image.width, image.height, 0, corner, int(region.width),
                              int(region.height), int(pitch), 4) != 0;
}

// The margin takes the image's edge texels outward: each row's first and last
// to its sides, then the first and last of those rows up and down.
void TextureAtlas::RepeatEdges(const Tile& tile, const Region& region)
{
    const std::uint32_t right = region.x + region.width, bottom = region.y + region.height;
    for (std::uint32_t y = region.y; y < bottom; ++y)
    {
        for (std::uint32_t x = tile.x; x < region.x; ++x)
            std::memcpy(TexelAt(x, y), TexelAt(region.x, y), 4);
        for (std::uint32_t x = right; x < tile.x + tile.side; ++x)
            std::memcpy(TexelAt(x, y), TexelAt(right - 1, y), 4);
    }
    const std::size_t rowBytes = std::size_t(tile.side) * 4;
    for (std::uint32_t y = tile.y; y < region.y; ++y)
        std::memcpy(TexelAt(tile.x, y), TexelAt(tile.x, region.y), rowBytes);
    for (std::uint32_t y = bottom; y < tile.y + tile.side; ++y)
        std::memcpy(TexelAt(tile.x, y), TexelAt(tile.x, bottom - 1), rowBytes);
}

bool TextureAtlas::Cover(const Image& image, const ColourFactor& factor)
{
    const int width = static_cast<int>(Width()), height = static_cast<int>(Height());
    if (image.width == width && image.height == height)
        std::memcpy(levels.Data(0), image.rgba.data(), image.rgba.size());
    else if (stbir_resize_uint8(image.rgba.data(), image.width, image.height, 0, levels.Data(0), width, height, 0, 4) == 0)
        return false;
    Multiply(0, 0, Width(), Height(), factor);
    return true;
}

// Transparency is not carried over: every texel ends opaque.
void TextureAtlas::Multiply(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                            const ColourFactor& factor)
{
    for (std::uint32_t row = y; row < y + height; ++row)
    {
        std::uint8_t* texel = TexelAt(x, row);
        for (std::uint32_t column = 0; column < width; ++column, texel += 4)
        {
            for (int c = 0; c < 3; ++c)
                texel[c] = factor.Times(c, texel[c]);
            texel[3] = 255;
        }
    }
}

std::uint8_t* TextureAtlas::TexelAt(std::uint32_t x, std::uint32_t y)
{
    return levels.Data(0) + std::size_t(y) * levels.Level(0).rowPitch + 4 * std::size_t(x);
}

void TextureAtlas::MakeSmallerLevels()
{
    levels.GenerateFrom(1);
}

Rgba TextureAtlas::MeanColour(const Image& image, const ColourFactor& factor)
{
    std::uint64_t sums[3] = {0, 0, 0};
    const std::size_t count = image.rgba.size() / 4;
    for (std::size_t i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            sums[c] += image.rgba[4 * i + c];
    Rgba mean{0, 0, 0, 255};
    for (int c = 0; c < 3 && count > 0; ++c)
        mean[c] = factor.Times(c, static_cast<std::uint8_t>((sums[c] + count / 2) / count));
    return mean;
}
