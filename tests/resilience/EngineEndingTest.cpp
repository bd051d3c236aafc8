// However Engine ends - Escape, the window closed, a failed start-up, a failed
// frame - the cursor is shown again and the display mode is the one it found.
//
// The cursor's display count belongs to the thread that changed it, and a
// process that is gone has none left to look at; so the probe inside the
// program follows the program's own ShowCursor calls, on its own thread, and
// reports the count the last one left. The display mode is the system's and
// is read from outside, before the start and after the end.
#include "ChildProcess.h"
#include "KeyboardInput.h"
#include "MessageBoxWatcher.h"
#include "ProgramProbe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const DWORD StartTimeoutMs = 20000;
const DWORD EndTimeoutMs = 10000;

enum class Ending
{
    Escape,
    CloseWindow,
    FailedStartUp,
    FailedFrame
};

struct EndingCase
{
    const char* name;
    Ending ending;
    const wchar_t* program;
    std::vector<std::wstring> environment;
    const wchar_t* box;  // the one box shown, or null
};

void PrintTo(const EndingCase& ending, std::ostream* out)
{
    *out << ending.name;
}

DEVMODEW CurrentDisplayMode()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

bool CursorShownForForeground()
{
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    return GetCursorInfo(&cursor) && (cursor.flags & CURSOR_SHOWING) != 0;
}

class EngineEnding : public ::testing::TestWithParam<EndingCase>
{
};
}

TEST_P(EngineEnding, ShowsTheCursorAgainAndLeavesTheDisplayModeAsItWas)
{
    const EndingCase& ending = GetParam();
    const DEVMODEW before = CurrentDisplayMode();
    ChildProcess engine;
    ProgramProbe probe;
    ASSERT_TRUE(probe.Start(engine, ending.program, L"", ending.environment));

    // A failure holds the program in its box until the box is answered.
    const bool fails = ending.box != nullptr;
    const HWND window = fails ? engine.WaitForWindow(L"#32770", L"Error", StartTimeoutMs)
                              : engine.WaitForWindow(L"Engine", L"Engine", StartTimeoutMs);
    ASSERT_NE(window, nullptr);
    if (!fails)
    {
        ASSERT_TRUE(probe.WaitForPresents(3, StartTimeoutMs));
        EXPECT_FALSE(CursorShownForForeground()) << "the cursor is shown while the program runs in front";
        // Vertical synchronisation is on: every present waits for one vertical blank.
        EXPECT_EQ(probe.SyncIntervals(), 1 << 1);
        EXPECT_EQ(probe.PresentFlags(), 0);
    }
    MessageBoxWatcher boxes(engine.Id());

    DWORD exitCode = 1;
    switch (ending.ending)
    {
    case Ending::Escape:
        ASSERT_TRUE(KeyboardInput::HoldUntilExit(VK_ESCAPE, engine, exitCode));
        break;
    case Ending::CloseWindow:
        PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    case Ending::FailedStartUp:
    case Ending::FailedFrame:
        break;
    }
    ASSERT_TRUE(engine.WaitForExit(EndTimeoutMs, exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 0u);

    const std::vector<SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), fails ? 1u : 0u);
    if (fails)
    {
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text, ending.box);
    }

    EXPECT_GE(probe.CursorCalls(), 1) << "the program did not show the cursor at its end";
    EXPECT_GE(probe.CursorCount(), 0) << "the cursor stayed hidden";

    const DEVMODEW after = CurrentDisplayMode();
    EXPECT_EQ(after.dmPelsWidth, before.dmPelsWidth);
    EXPECT_EQ(after.dmPelsHeight, before.dmPelsHeight);
    EXPECT_EQ(after.dmBitsPerPel, before.dmBitsPerPel);
    EXPECT_EQ(after.dmDisplayFrequency, before.dmDisplayFrequency);
}

const EndingCase EndingCases[] = {
    {"Escape", Ending::Escape, L"Engine.exe", {}, nullptr},
    {"CloseWindow", Ending::CloseWindow, L"Engine.exe", {}, nullptr},
    {"FailedStartUp", Ending::FailedStartUp, L"EngineWithFaults.exe",
     {L"VEXELO_FAIL_CALL=D3D11CreateDeviceAndSwapChain"}, L"Could not initialize Direct3D."},
    {"FailedFrame", Ending::FailedFrame, L"EngineWithFaults.exe",
     {L"VEXELO_FAIL_CALL=IDirectInputDevice8W::GetDeviceState"}, L"Frame Processing Failed"},
};

INSTANTIATE_TEST_SUITE_P(EachWay, EngineEnding, ::testing::ValuesIn(EndingCases),
                         [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });
