#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Reads an R8G8B8A8_UNORM texture as Direct3D 11 samples it through a sampler
// with D3D11_FILTER_MIN_MAG_MIP_LINEAR and D3D11_TEXTURE_ADDRESS_WRAP, by the
// rules Direct3D publishes for them: within a level, texel centres lie at
// half-integers and a sample at (u, v) weighs the four texels around
// (u * width - 1/2, v * height - 1/2) by their distance; texel addresses
// wrap at the level's edges; a level of detail between two levels blends
// their samples linearly, and is clamped to the chain. Levels have packed
// rows; results run from 0 to 255.
class MipSampler
{
public:
    MipSampler(std::uint32_t width, std::uint32_t height, const std::vector<std::string>& levels);

    std::array<double, 4> Sample(double u, double v, double lod) const;

private:
    std::array<double, 4> Bilinear(std::uint32_t level, double u, double v) const;

    std::uint32_t width;
    std::uint32_t height;
    std::vector<std::string> levels;
};
