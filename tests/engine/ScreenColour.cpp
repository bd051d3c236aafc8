#include "ScreenColour.h"

#include "ScreenCapture.h"
#include "TestWindow.h"

RECT WholeScreen()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

size_t ScreenPixelsNot(uint32_t colour, const RECT& area)
{
    ScreenCapture capture;
    if (!capture.Capture(area.left, area.top, area.right - area.left, area.bottom - area.top))
        return SIZE_MAX;
    size_t count = 0;
    for (int y = 0; y < capture.Height(); ++y)
        for (int x = 0; x < capture.Width(); ++x)
            count += capture.Pixel(x, y) != colour;
    return count;
}

bool ScreenBecomes(uint32_t colour, DWORD timeoutMs, const RECT& area)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (ScreenPixelsNot(colour, area) != 0)
    {
        if (GetTickCount64() >= deadline)
            return false;
        TestWindow::PumpMessages();
        Sleep(100);
    }
    return true;
}
