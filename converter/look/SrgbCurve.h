#pragma once
#include <cstdint>

// The sRGB transfer curve between linear light and the display values Engine
// draws with (its texture is not sRGB: texels reach the screen as they are).
class SrgbCurve
{
public:
    // The linear light of an 8-bit display value, 0 to 1.
    static float Decode(std::uint8_t value);
    // The 8-bit display value of linear light, clamped to 0 to 1 (not a
    // number: 0).
    static std::uint8_t Encode(float linear);
};
