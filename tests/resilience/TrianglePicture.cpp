#include "TrianglePicture.h"

#include <algorithm>
#include <cstdlib>

namespace
{
// Presenting and stretching may shift the background by a step or two.
bool IsBackground(uint32_t pixel)
{
    const int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    return red <= 8 && std::abs(green - 51) <= 8 && std::abs(blue - 102) <= 8;
}
}

TrianglePicture::TrianglePicture(const ScreenCapture& screen)
    : left(screen.Width()), top(screen.Height()), right(0), bottom(0)
{
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
            if (!IsBackground(screen.Pixel(x, y)))
            {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
}
