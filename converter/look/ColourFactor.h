#pragma once
#include <array>
#include <cstdint>

using Rgba = std::array<std::uint8_t, 4>;

// A material's colour factor as it multiplies the texels of its image: as
// display values, which most formats' colours are, or in linear light, as
// glTF defines it (texel decoded, multiplied, encoded again). The factor
// alone is the product with white. Alpha is not carried over.
class ColourFactor
{
public:
    // Channels outside 0 to 1 are clamped; one that is not a number counts as 1.
    ColourFactor(const float factor[4], bool linear);

    std::uint8_t Times(int channel, std::uint8_t texel) const { return products[channel][texel]; }
    // The factor on white, opaque.
    Rgba Colour() const { return {products[0][255], products[1][255], products[2][255], 255}; }

private:
    std::uint8_t products[3][256];
};
