// Engine.exe as a user runs it, on the virtual display.
#include "ChildProcess.h"
#include "EngineSettings.h"
#include "MessageBoxWatcher.h"
#include "ScreenCapture.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
const DWORD StartTimeoutMs = 20000;
const DWORD EndTimeoutMs = 5000;

// Full screen at (0, 0), or the window size centred when built windowed.
RECT ExpectedWindowRect()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if constexpr (FullScreenMode)
        return RECT{0, 0, width, height};
    const int x = (width - WindowedWidth) / 2;
    const int y = (height - WindowedHeight) / 2;
    return RECT{x, y, x + WindowedWidth, y + WindowedHeight};
}

// Polls until every pixel of the area shows the colour (0x00RRGGBB).
bool ScreenBecomes(uint32_t colour, const RECT& area)
{
    const ULONGLONG deadline = GetTickCount64() + 5000;
    for (;;)
    {
        ScreenCapture capture;
        bool all = capture.Capture(area.left, area.top, area.right - area.left, area.bottom - area.top);
        for (int y = 0; all && y < capture.Height(); ++y)
            for (int x = 0; all && x < capture.Width(); ++x)
                all = capture.Pixel(x, y) == colour;
        if (all)
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        TestWindow::PumpMessages();
        Sleep(100);
    }
}

void SendKey(WORD virtualKey, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(INPUT));
}
}

TEST(EngineProgram, ItsWindowCoversTheScreenInBlackAndHoldingEscapeEndsIt)
{
    // A white window first: the capture must see it, so the black is the program's.
    const RECT expected = ExpectedWindowRect();
    TestWindow cover(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), WS_POPUP);
    HDC coverDc = GetDC(cover.Handle());
    RECT coverRect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    FillRect(coverDc, &coverRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(cover.Handle(), coverDc);
    ASSERT_TRUE(ScreenBecomes(0xFFFFFF, expected)) << "the capture does not see the screen";

    ChildProcess engine;
    ASSERT_TRUE(engine.Start(L"Engine.exe", L""));
    HWND window = engine.WaitForWindow(L"Engine", L"Engine", StartTimeoutMs);
    ASSERT_NE(window, nullptr);
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
    EXPECT_TRUE(ScreenBecomes(0x000000, expected));

    // A held key repeats; the program sees it once its keyboard is acquired.
    // Pumping answers what the program's shut-down sends the cover window.
    const ULONGLONG pressed = GetTickCount64();
    DWORD exitCode = 1;
    bool ended = false;
    while (!ended && GetTickCount64() - pressed < EndTimeoutMs)
    {
        SendKey(VK_ESCAPE, true);
        TestWindow::PumpMessages();
        ended = engine.WaitForExit(50, exitCode);
    }
    SendKey(VK_ESCAPE, false);
    ASSERT_TRUE(ended) << "still running " << EndTimeoutMs << " ms after Escape went down";
    EXPECT_EQ(exitCode, 0u);
}

TEST(EngineProgram, ClosingTheWindowEndsItWithZero)
{
    ChildProcess engine;
    ASSERT_TRUE(engine.Start(L"Engine.exe", L""));
    HWND window = engine.WaitForWindow(L"Engine", L"Engine", StartTimeoutMs);
    ASSERT_NE(window, nullptr);

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(engine.WaitForExit(EndTimeoutMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// The keyboard cannot be acquired (as when the window cannot take the
// foreground), or the device cannot be made.
TEST(EngineProgram, AFailedStartUpIsReportedAndTheProgramEndsWithZero)
{
    const std::pair<const wchar_t*, const wchar_t*> failures[] = {
        {L"VEXELO_FAIL_CALL=IDirectInputDevice8W::Acquire", L"Could not initialize the input object."},
        {L"VEXELO_FAIL_CALL=D3D11CreateDeviceAndSwapChain", L"Could not initialize Direct3D."},
    };
    for (const auto& failure : failures)
    {
        ChildProcess engine;
        ASSERT_TRUE(engine.Start(L"EngineWithFaults.exe", L"", L"", {failure.first, L"VEXELO_FAIL_RESULT=80070005"}));
        MessageBoxWatcher boxes(engine.Id());
        DWORD exitCode = 1;
        ASSERT_TRUE(engine.WaitForExit(StartTimeoutMs, exitCode));
        EXPECT_EQ(exitCode, 0u);
        std::vector<SeenMessageBox> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text, failure.second);
        EXPECT_NE(seen[0].owner, nullptr);
    }
}
