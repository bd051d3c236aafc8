#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A window's client area as the screen shows it (presented Direct3D frames
// included), copied once when constructed.
class ScreenGrab
{
public:
    explicit ScreenGrab(HWND window);

    int Width() const { return width; }
    int Height() const { return height; }
    int Red(int x, int y) const { return (At(x, y) >> 16) & 0xFF; }
    int Green(int x, int y) const { return (At(x, y) >> 8) & 0xFF; }
    int Blue(int x, int y) const { return At(x, y) & 0xFF; }

private:
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void Copy(HDC screen, POINT origin);

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};
