// Engine.exe as a user runs it, on the virtual display.
#include "ChildProcess.h"
#include "CoverWindow.h"
#include "EngineSettings.h"
#include "MessageBoxWatcher.h"
#include "ScreenColour.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const DWORD StartTimeoutMs = 20000;
const DWORD EndTimeoutMs = 5000;

// Full screen at (0, 0), or the window size centred when built windowed.
RECT ExpectedWindowRect()
{
    RECT screen = WholeScreen();
    if constexpr (FullScreenMode)
        return screen;
    const int x = (screen.right - WindowedWidth) / 2;
    const int y = (screen.bottom - WindowedHeight) / 2;
    return RECT{x, y, x + WindowedWidth, y + WindowedHeight};
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
    CoverWindow cover(RGB(255, 255, 255));
    ASSERT_TRUE(ScreenBecomes(0xFFFFFF, 2000)) << "the capture does not see the screen";

    ChildProcess engine;
    ASSERT_TRUE(engine.Start(L"Engine.exe", L""));
    HWND window = engine.WaitForWindow(L"Engine", L"Engine", StartTimeoutMs);
    ASSERT_NE(window, nullptr);

    const RECT expected = ExpectedWindowRect();
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
    EXPECT_TRUE(ScreenBecomes(0x000000, 5000, expected)) << ScreenPixelsNot(0x000000, expected)
                                                         << " pixels are not black";

    // A held key repeats; the program sees it once its keyboard is acquired.
    // The cover answers the activation messages of the program's shut-down.
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

namespace
{
struct StartUpFailure
{
    const wchar_t* failingCall;
    const wchar_t* message;
};

// The window cannot take the foreground: the keyboard cannot be acquired.
const StartUpFailure StartUpFailures[] = {
    {L"VEXELO_FAIL_CALL=IDirectInputDevice8W::Acquire", L"Could not initialize the input object."},
    {L"VEXELO_FAIL_CALL=D3D11CreateDeviceAndSwapChain", L"Could not initialize Direct3D."},
};
}

TEST(EngineProgram, AFailedStartUpIsReportedAndTheProgramEndsWithZero)
{
    for (const StartUpFailure& failure : StartUpFailures)
    {
        SCOPED_TRACE(testing::Message() << failure.message);
        ChildProcess engine;
        ASSERT_TRUE(engine.Start(L"EngineWithFaults.exe", L"", L"",
                                 {failure.failingCall, L"VEXELO_FAIL_RESULT=80070005"}));
        MessageBoxWatcher boxes(engine.Id());

        DWORD exitCode = 1;
        ASSERT_TRUE(engine.WaitForExit(StartTimeoutMs, exitCode));
        EXPECT_EQ(exitCode, 0u);
        std::vector<SeenMessageBox> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text, failure.message);
        EXPECT_NE(seen[0].owner, nullptr);
    }
}
