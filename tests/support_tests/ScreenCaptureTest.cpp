#include "ScreenCapture.h"
#include "TestDevice.h"

#include <gtest/gtest.h>

namespace
{
// Keep the captured window above the windows other programs left on the display.
void BringToTop(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 300, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    TestWindow::PumpMessages();
}

bool AllPixelsAre(const ScreenCapture& capture, uint32_t colour)
{
    for (int y = 0; y < capture.Height(); ++y)
        for (int x = 0; x < capture.Width(); ++x)
            if (capture.Pixel(x, y) != colour)
                return false;
    return true;
}

// A picture reaches the screen some time after it was drawn; on a loaded machine, seconds.
// No messages are handled meanwhile: painting the window's background would cover it.
bool CaptureWhenAllAre(HWND window, uint32_t colour, ScreenCapture& capture)
{
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!capture.CaptureClient(window) || !AllPixelsAre(capture, colour))
    {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(50);
    }
    return true;
}
}

TEST(ScreenCapture, ReadsWhatGdiPainted)
{
    TestWindow window(160, 90);
    BringToTop(window.Handle());
    HDC dc = GetDC(window.Handle());
    HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x80, 0xC0));
    RECT client = {0, 0, 160, 90};
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    ReleaseDC(window.Handle(), dc);
    TestWindow::PumpMessages();

    ScreenCapture capture;
    EXPECT_TRUE(CaptureWhenAllAre(window.Handle(), 0x2080C0u, capture)) << std::hex << capture.Pixel(0, 0);
    EXPECT_EQ(capture.Width(), 160);
    EXPECT_EQ(capture.Height(), 90);
    EXPECT_FALSE(capture.Capture(0, 0, 0, 10));
}

TEST(ScreenCapture, ReadsWhatASwapChainPresented)
{
    TestDevice gpu(160, 90);
    ASSERT_TRUE(gpu.Ok());
    BringToTop(gpu.Window());
    ComPtr<ID3D11Texture2D> backBuffer;
    *backBuffer.Put() = gpu.BackBuffer();
    ComPtr<ID3D11RenderTargetView> target;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateRenderTargetView(backBuffer.Get(), nullptr, target.Put()));

    // Two colours in turn: the capture follows each present.
    const float colours[2][4] = {{1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}};
    const uint32_t expected[2] = {0xFF0000u, 0x00FF00u};
    for (int i = 0; i < 2; ++i)
    {
        gpu.Context()->ClearRenderTargetView(target.Get(), colours[i]);
        ASSERT_HRESULT_SUCCEEDED(gpu.SwapChain()->Present(0, 0));

        ScreenCapture capture;
        EXPECT_TRUE(CaptureWhenAllAre(gpu.Window(), expected[i], capture))
            << std::hex << capture.Pixel(0, 0) << " at (0, 0), " << capture.Pixel(80, 45) << " in the middle";
        EXPECT_EQ(capture.Width(), 160);
    }
}
