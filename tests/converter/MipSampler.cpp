#include "MipSampler.h"

#include <algorithm>
#include <cmath>

MipSampler::MipSampler(std::uint32_t width, std::uint32_t height, const std::vector<std::string>& levels)
    : width(width), height(height), levels(levels)
{
}

std::array<double, 4> MipSampler::Sample(double u, double v, double lod) const
{
    const double clamped = std::clamp(lod, 0.0, double(levels.size() - 1));
    const auto level = static_cast<std::uint32_t>(clamped);
    const double blend = clamped - level;
    std::array<double, 4> result = Bilinear(level, u, v);
    if (blend > 0)
    {
        const std::array<double, 4> next = Bilinear(level + 1, u, v);
        for (int c = 0; c < 4; ++c)
            result[c] += blend * (next[c] - result[c]);
    }
    return result;
}

std::array<double, 4> MipSampler::Bilinear(std::uint32_t level, double u, double v) const
{
    const std::int64_t w = std::max(1u, width >> level), h = std::max(1u, height >> level);
    const double x = u * w - 0.5, y = v * h - 0.5;
    const double x0 = std::floor(x), y0 = std::floor(y);
    const double weightsX[2] = {1 - (x - x0), x - x0}, weightsY[2] = {1 - (y - y0), y - y0};
    std::array<double, 4> result = {0, 0, 0, 0};
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
        {
            const std::int64_t tx = ((std::int64_t(x0) + i) % w + w) % w, ty = ((std::int64_t(y0) + j) % h + h) % h;
            const char* texel = levels[level].data() + 4 * (ty * w + tx);
            for (int c = 0; c < 4; ++c)
                result[c] += weightsX[i] * weightsY[j] * static_cast<std::uint8_t>(texel[c]);
        }
    return result;
}
