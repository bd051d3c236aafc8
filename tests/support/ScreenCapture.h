#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Pixels of the screen as the user sees them, whoever drew them (GDI or a swap chain).
class ScreenCapture
{
public:
    // Copies a rectangle in screen coordinates; false if the copy failed.
    bool Capture(int x, int y, int width, int height);
    // Copies the client area of a window.
    bool CaptureClient(HWND window);

    int Width() const { return width; }
    int Height() const { return height; }
    // Colour as 0x00RRGGBB.
    uint32_t Pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // How many pixels differ from the same place of another capture of the same size.
    int DifferingPixels(const ScreenCapture& other) const;

private:
    bool CopyFromScreen(HDC screen, HDC memory, int x, int y);

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
