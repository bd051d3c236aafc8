#include "ScreenColour.h"

#include "ScreenCapture.h"
#include "TestWindow.h"

size_t ScreenPixelsNot(uint32_t colour)
{
    ScreenCapture capture;
    if (!capture.Capture(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)))
        return SIZE_MAX;
    size_t count = 0;
    for (int y = 0; y < capture.Height(); ++y)
        for (int x = 0; x < capture.Width(); ++x)
            count += capture.Pixel(x, y) != colour;
    return count;
}

bool ScreenBecomes(uint32_t colour, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (ScreenPixelsNot(colour) != 0)
    {
        if (GetTickCount64() >= deadline)
            return false;
        TestWindow::PumpMessages();
        Sleep(100);
    }
    return true;
}
