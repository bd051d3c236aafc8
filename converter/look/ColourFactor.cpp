#include "ColourFactor.h"

#include "SrgbCurve.h"

#include <algorithm>
#include <cmath>

ColourFactor::ColourFactor(const float factor[4], bool linear) : products()
{
    for (int c = 0; c < 3; ++c)
    {
        const float f = std::isfinite(factor[c]) ? std::clamp(factor[c], 0.0f, 1.0f) : 1.0f;
        for (int value = 0; value < 256; ++value)
        {
            const auto texel = static_cast<std::uint8_t>(value);
            products[c][value] = linear ? SrgbCurve::Encode(SrgbCurve::Decode(texel) * f)
                                        : static_cast<std::uint8_t>(std::round(static_cast<float>(value) * f));
        }
    }
}
