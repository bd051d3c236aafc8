#include "SrgbCurve.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
// The exact curve, not a power of 2.2: dark values differ by several steps.
double ToLinear(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double ToEncoded(double linear)
{
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

std::array<float, 256> DecodeTable()
{
    std::array<float, 256> table{};
    for (int value = 0; value < 256; ++value)
        table[static_cast<std::size_t>(value)] = static_cast<float>(ToLinear(value / 255.0));
    return table;
}
}

float SrgbCurve::Decode(std::uint8_t value)
{
    static const std::array<float, 256> table = DecodeTable();
    return table[value];
}

std::uint8_t SrgbCurve::Encode(float linear)
{
    const double clamped = std::isfinite(linear) ? std::clamp(static_cast<double>(linear), 0.0, 1.0) : 0.0;
    return static_cast<std::uint8_t>(std::lround(ToEncoded(clamped) * 255));
}
