#include "TextureAtlas.h"

#include "PixelFormatTable.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
std::uint8_t Scaled(std::uint8_t value, float factor)
{
    const float scaled = std::round(static_cast<float>(value) * std::clamp(factor, 0.0f, 1.0f));
    return static_cast<std::uint8_t>(scaled);
}

// Each r x r block of the image averaged into one texel: the box filter the
// smaller levels use, for an image a whole number of times the tile's side.
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
    std::memcpy(levels.Data(0) + std::size_t(y) * levels.Level(0).rowPitch + 4 * std::size_t(x), colour.data(), 4);
}

bool TextureAtlas::Place(const Image& image, const Tile& tile, const float factor[4])
{
    std::uint8_t* corner = levels.Data(0) + std::size_t(tile.y) * levels.Level(0).rowPitch + 4 * std::size_t(tile.x);
    const int pitch = static_cast<int>(levels.Level(0).rowPitch);
    const int side = static_cast<int>(tile.side);
    if (image.width == side && image.height == side)
    {
        for (int row = 0; row < side; ++row)
            std::memcpy(corner + std::size_t(row) * pitch, image.rgba.data() + std::size_t(row) * side * 4, std::size_t(side) * 4);
    }
    else if (image.width == image.height && image.width > side && image.width % side == 0)
        Average(image, corner, static_cast<std::size_t>(pitch), tile.side);
    else if (stbir_resize_uint8(image.rgba.data(), image.width, image.height, 0, corner, side, side, pitch, 4) == 0)
        return false;
    Multiply(tile.x, tile.y, tile.side, tile.side, factor);
    return true;
}

bool TextureAtlas::Cover(const Image& image, const float factor[4])
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
                            const float factor[4])
{
    std::uint8_t scaled[3][256];
    for (int c = 0; c < 3; ++c)
        for (int value = 0; value < 256; ++value)
            scaled[c][value] = Scaled(static_cast<std::uint8_t>(value), factor[c]);
    for (std::uint32_t row = y; row < y + height; ++row)
    {
        std::uint8_t* texel = levels.Data(0) + std::size_t(row) * levels.Level(0).rowPitch + 4 * std::size_t(x);
        for (std::uint32_t column = 0; column < width; ++column, texel += 4)
        {
            for (int c = 0; c < 3; ++c)
                texel[c] = scaled[c][texel[c]];
            texel[3] = 255;
        }
    }
}

void TextureAtlas::MakeSmallerLevels()
{
    levels.GenerateFrom(1);
}

Rgba TextureAtlas::MeanColour(const Image& image, const float factor[4])
{
    std::uint64_t sums[3] = {0, 0, 0};
    const std::size_t count = image.rgba.size() / 4;
    for (std::size_t i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            sums[c] += image.rgba[4 * i + c];
    Rgba mean{0, 0, 0, 255};
    for (int c = 0; c < 3 && count > 0; ++c)
        mean[c] = Scaled(static_cast<std::uint8_t>((sums[c] + count / 2) / count), factor[c]);
    return mean;
}

Rgba TextureAtlas::ColourOf(const float factor[4])
{
    return {Scaled(255, factor[0]), Scaled(255, factor[1]), Scaled(255, factor[2]), 255};
}
