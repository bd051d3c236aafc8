#include "ScreenCapture.h"

#include <cstring>

bool ScreenCapture::Capture(int x, int y, int captureWidth, int captureHeight)
{
    width = 0;
    height = 0;
    pixels.clear();
    if (captureWidth <= 0 || captureHeight <= 0)
        return false;

    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    HDC memory = CreateCompatibleDC(screen);
    width = captureWidth;
    height = captureHeight;
    const bool copied = memory && CopyFromScreen(screen, memory, x, y);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied)
    {
        width = 0;
        height = 0;
        pixels.clear();
    }
    return copied;
}

int ScreenCapture::DifferingPixels(const ScreenCapture& other) const
{
    int differing = 0;
    for (size_t i = 0; i < pixels.size() && i < other.pixels.size(); ++i)
        differing += pixels[i] != other.pixels[i];
    return differing;
}

bool ScreenCapture::CaptureClient(HWND window)
{
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin))
        return false;
    return Capture(origin.x, origin.y, client.right - client.left, client.bottom - client.top);
}

bool ScreenCapture::CopyFromScreen(HDC screen, HDC memory, int x, int y)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return false;

    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY | CAPTUREBLT) != FALSE;
    GdiFlush();
    if (copied)
    {
        pixels.resize(static_cast<size_t>(width) * height);
        std::memcpy(pixels.data(), bits, pixels.size() * sizeof(uint32_t));
        for (uint32_t& pixel : pixels)
            pixel &= 0x00FFFFFF;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    return copied;
}
