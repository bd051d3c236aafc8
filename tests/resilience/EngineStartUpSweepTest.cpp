// Every creating call of Engine's start-up failed in turn: the owner of the
// failing object reports it as the failure tables say (or nobody does, for an
// allocation or the render texture), set-up stops within that object, and
// shut-down gives back everything: the device, the swap chain and the
// DirectInput object reach zero references, the cursor is shown, the display
// mode restored, the window and its class gone.
//
// In this process, for every call, with the steps of the program's entry
// point; and end to end through the fault-armed build of the program for a
// few calls that stand for the rest, as a process per call takes seconds.
#include "Application.h"

#include "ChildProcess.h"
#include "FaultInjection.h"
#include "MessageBoxWatcher.h"
#include "StartUpPlan.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
const DWORD EndTimeoutMs = 30000;
const wchar_t CallLogFile[] = L"engine-start-up-calls.txt";

using Roots = std::vector<std::pair<std::string, ULONG>>;

int CursorCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

DEVMODEW CurrentDisplayMode()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

bool EngineClassRegistered()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    return GetClassInfoExW(GetModuleHandleW(nullptr), L"Engine", &wc) != FALSE;
}

// As the program's entry point does it, up to the main loop, which a failed
// start-up skips; shut down twice, which must change nothing the second time.
// The window is gone before the boxes are looked at, so its handle is kept.
void StartAndShutDown(HWND& window)
{
    window = nullptr;
    Application* application = new (std::nothrow) Application;
    if (!application)
        return;
    application->Initialize();
    window = FindWindowW(L"Engine", L"Engine");
    application->Shutdown();
    application->Shutdown();
    delete application;
    // Destroying the window posts a quit message nobody reads; in a test
    // process it would end the next modal loop (a message box) at once.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Listed(const std::vector<std::string>& calls)
{
    std::string list;
    for (size_t i = 0; i < calls.size(); ++i)
        list += std::to_string(i + 1) + ": " + calls[i] + "\n";
    return list;
}

void ExpectBoxes(const std::vector<SeenMessageBox>& seen, const std::vector<StartUpPlan::Box>& expected)
{
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i)
    {
        EXPECT_EQ(seen[i].caption, expected[i].caption) << "box " << i;
        EXPECT_EQ(seen[i].text, expected[i].text) << "box " << i;
        EXPECT_NE(seen[i].owner, nullptr) << "box " << i;
    }
}

void ExpectReleased(const Roots& roots)
{
    for (const auto& root : roots)
        EXPECT_EQ(root.second, 0u) << root.first << " outlived the shut-down";
}

class EngineStartUpSweep : public ::testing::Test
{
protected:
    // The plan comes from a start-up with nothing failed.
    static void SetUpTestSuite()
    {
        FaultInjection::Install();
        MessageBoxWatcher boxes;
        FaultInjection::HoldRoots(true);
        FaultInjection::Arm(0);
        HWND window = nullptr;
        StartAndShutDown(window);
        FaultInjection::Disarm();
        log = FaultInjection::Calls();
        FaultInjection::HoldRoots(false);
        cleanRoots = FaultInjection::ReleaseHeldRoots();
        cleanBoxes = boxes.Seen().size();
    }

    void SetUp() override
    {
        ASSERT_EQ(cleanBoxes, 0u) << "a start-up with nothing failed reported a failure";
        ASSERT_TRUE(plan.Read(log)) << plan.Problem() << " in the call log:\n" << Listed(log);
    }

    static std::vector<std::string> log;
    static Roots cleanRoots;
    static size_t cleanBoxes;
    StartUpPlan plan;
};

std::vector<std::string> EngineStartUpSweep::log;
Roots EngineStartUpSweep::cleanRoots;
size_t EngineStartUpSweep::cleanBoxes = 0;
}

TEST_F(EngineStartUpSweep, EveryCreatingCallFailedInTurnInThisProcess)
{
    std::cout << "creating calls of start-up: " << plan.Count() << "\n";
    ASSERT_EQ(cleanRoots.size(), 3u) << "a start-up with nothing failed makes a device, a swap chain and a "
                                        "DirectInput object";
    ExpectReleased(cleanRoots);

    const int cursorCount = CursorCount();
    const DEVMODEW displayMode = CurrentDisplayMode();
    for (int k = 1; k <= plan.Count() && !HasFailure(); ++k)
    {
        SCOPED_TRACE(testing::Message() << k << ": " << plan.Name(k) << " of the " << plan.OwnerName(k));
        MessageBoxWatcher boxes;
        FaultInjection::HoldRoots(true);
        FaultInjection::Arm(k);
        HWND window = nullptr;
        StartAndShutDown(window);
        FaultInjection::Disarm();
        FaultInjection::HoldRoots(false);
        ExpectReleased(FaultInjection::ReleaseHeldRoots());

        EXPECT_EQ(FaultInjection::FailedCall(), plan.Name(k));
        EXPECT_LE(FaultInjection::Count(), plan.LastOfOwner(k)) << "set-up went on past the failing object";
        const std::vector<SeenMessageBox> seen = boxes.Seen();
        ExpectBoxes(seen, plan.ExpectedBoxes(k));
        for (const SeenMessageBox& box : seen)
            EXPECT_EQ(box.owner, window) << "a box not owned by the main window";

        EXPECT_EQ(CursorCount(), cursorCount);
        const DEVMODEW after = CurrentDisplayMode();
        EXPECT_EQ(after.dmPelsWidth, displayMode.dmPelsWidth);
        EXPECT_EQ(after.dmPelsHeight, displayMode.dmPelsHeight);
        EXPECT_EQ(after.dmBitsPerPel, displayMode.dmBitsPerPel);
        EXPECT_FALSE(EngineClassRegistered());
        EXPECT_EQ(FindWindowW(L"Engine", L"Engine"), nullptr);
    }
}

// The fault-armed build ends with 3 instead of 0 if a root object outlived
// the program, and writes down its creating calls.
TEST_F(EngineStartUpSweep, RepresentativeCallsFailedInTheProgram)
{
    for (int k : plan.Representatives())
    {
        SCOPED_TRACE(testing::Message() << k << ": " << plan.Name(k) << " of the " << plan.OwnerName(k));
        DeleteFileW(CallLogFile);
        ChildProcess engine;
        ASSERT_TRUE(engine.Start(L"EngineWithFaults.exe", L"", L"",
                                 {L"VEXELO_FAIL_AT=" + std::to_wstring(k),
                                  std::wstring(L"VEXELO_CALL_LOG=") + CallLogFile}));
        MessageBoxWatcher boxes(engine.Id());
        DWORD exitCode = ChildProcess::TerminatedExitCode;
        ASSERT_TRUE(engine.WaitForExit(EndTimeoutMs, exitCode)) << "the program did not end";
        EXPECT_EQ(exitCode, 0u) << "a crash ends with an exception code, objects outliving the program with 3";
        ExpectBoxes(boxes.Seen(), plan.ExpectedBoxes(k));

        std::vector<std::string> calls = Lines(TempFolder::ReadBytes(CallLogFile));
        ASSERT_GE(calls.size(), static_cast<size_t>(k));
        calls.resize(static_cast<size_t>(k));
        EXPECT_EQ(Listed(calls), Listed(std::vector<std::string>(log.begin(), log.begin() + k)))
            << "the program's calls differ from this process's";
    }
    DeleteFileW(CallLogFile);
}
