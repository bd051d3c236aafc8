// Engine.exe losing the foreground to another window for a while: its
// DirectInput devices are taken away, yet frames go on, nothing is reported,
// and once it is in front again Escape still ends it.
#include "ChildProcess.h"
#include "KeyboardInput.h"
#include "MessageBoxWatcher.h"
#include "ProgramProbe.h"
#include "ScreenCapture.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <iostream>

namespace
{
const DWORD WindowTimeoutMs = 20000;
const DWORD AwayMs = 2000;

// The middle of the screen, where the cube turns, away from the test's
// window in the top-left corner.
bool CaptureMiddle(ScreenCapture& capture)
{
    const int size = 200;
    return capture.Capture((GetSystemMetrics(SM_CXSCREEN) - size) / 2, (GetSystemMetrics(SM_CYSCREEN) - size) / 2,
                           size, size);
}

bool TakeForeground(HWND window)
{
    return ProgramProbe::WaitUntil(
        [window] {
            if (GetForegroundWindow() == window)
                return true;
            SetForegroundWindow(window);
            TestWindow::PumpMessages();
            return false;
        },
        5000);
}
}

TEST(EngineForeground, FramesGoOnWhileAnotherWindowIsInFrontAndEscapeWorksOnceItIsBack)
{
    ChildProcess engine;
    ProgramProbe probe;
    ASSERT_TRUE(probe.Start(engine, L"Engine.exe", L""));
    const HWND window = engine.WaitForWindow(L"Engine", L"Engine", WindowTimeoutMs);
    ASSERT_NE(window, nullptr);
    MessageBoxWatcher boxes(engine.Id());
    ASSERT_TRUE(ProgramProbe::WaitUntil([&] { return probe.ReadsTaken() > 0 && probe.Presents() > 10; },
                                        WindowTimeoutMs))
        << "the program does not read its devices or present";
    EXPECT_EQ(probe.ReadsLost(), 0) << "devices lost while the program was in front";

    TestWindow other(320, 240);
    ASSERT_TRUE(TakeForeground(other.Handle()));
    const LONG presentsBefore = probe.Presents();
    const LONG readsBefore = probe.ReadsTaken();
    ScreenCapture first;
    ASSERT_TRUE(CaptureMiddle(first));
    // At least AwayMs and ten frames behind it, however slowly a loaded machine draws.
    const ULONGLONG away = GetTickCount64();
    ProgramProbe::WaitUntil(
        [&] {
            TestWindow::PumpMessages();
            return GetTickCount64() - away >= AwayMs && probe.Presents() - presentsBefore > 10;
        },
        WindowTimeoutMs);
    const ULONGLONG awayMs = GetTickCount64() - away;
    // A quarter turn on the cube looks as it did: look until a picture differs.
    ScreenCapture last;
    EXPECT_TRUE(ProgramProbe::WaitUntil([&] { return CaptureMiddle(last) && first.DifferingPixels(last) > 1000; },
                                        WindowTimeoutMs))
        << "the cube stopped turning";
    const LONG presentsAway = probe.Presents() - presentsBefore;
    std::cout << "in " << awayMs << " ms behind another window: " << presentsAway << " frames, "
              << probe.ReadsLost() << " reads of a lost device, " << probe.ReadsTaken() - readsBefore
              << " reads taken\n";
    EXPECT_GT(probe.ReadsLost(), 0) << "the devices were never lost: the test proves nothing";
    EXPECT_GT(presentsAway, 10) << "frames stopped";
    DWORD exitCode = 0;
    ASSERT_FALSE(engine.WaitForExit(0, exitCode)) << "the program ended with " << exitCode;
    EXPECT_TRUE(boxes.Seen().empty()) << "something was reported";

    ASSERT_TRUE(TakeForeground(window));
    const LONG readsBack = probe.ReadsTaken();
    EXPECT_TRUE(ProgramProbe::WaitUntil([&] { return probe.ReadsTaken() > readsBack + 4; }, WindowTimeoutMs))
        << "the devices were not taken back";

    ASSERT_TRUE(KeyboardInput::HoldUntilExit(VK_ESCAPE, engine, exitCode)) << "Escape did not end the program";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(boxes.Seen().empty()) << "something was reported";
}
