#include "ScreenGrab.h"

ScreenGrab::ScreenGrab(HWND window)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    width = client.right;
    height = client.bottom;
    pixels.assign(static_cast<size_t>(width) * height, 0);

    HDC screen = GetDC(nullptr);
    Copy(screen, origin);
    ReleaseDC(nullptr, screen);
}

void ScreenGrab::Copy(HDC screen, POINT origin)
{
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
    {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = source[i] & 0xFFFFFF;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
}
