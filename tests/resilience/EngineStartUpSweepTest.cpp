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
#include "DesktopState.h"
#include "FailureSweep.h"
#include "MessageBoxWatcher.h"
#include "StartUpPlan.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const DWORD EndTimeoutMs = 30000;
const wchar_t CallLogFile[] = L"engine-start-up-calls.txt";

// As the program's entry point does it, up to the main loop, which a failed
// start-up skips; shut down twice, which must change nothing the second time.
// The window is gone before the boxes are looked at, so its handle is kept.
bool StartAndShutDown(HWND& window)
{
    window = nullptr;
    Application* application = new (std::nothrow) Application;
    if (!application)
        return false;
    const bool initialized = application->Initialize();
    window = FindWindowW(L"Engine", L"Engine");
    application->Shutdown();
    application->Shutdown();
    delete application;
    DesktopState::DiscardQuitMessages();
    return initialized;
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

class EngineStartUpSweep : public ::testing::Test
{
protected:
    // The plan comes from a start-up with nothing failed.
    static void SetUpTestSuite() { clean = sweep.Clean(); }

    void SetUp() override
    {
        ASSERT_TRUE(plan.Read(sweep.Log())) << plan.Problem() << " in the call log:\n" << Listed(sweep.Log());
    }

    static HWND window;
    static FailureSweep sweep;
    static FailureSweep::Run clean;
    StartUpPlan plan;
};

HWND EngineStartUpSweep::window = nullptr;
FailureSweep EngineStartUpSweep::sweep([] { return StartAndShutDown(window); });
FailureSweep::Run EngineStartUpSweep::clean;
}

TEST_F(EngineStartUpSweep, EveryCreatingCallFailedInTurnInThisProcess)
{
    std::cout << "creating calls of start-up: " << plan.Count() << "\n";
    ASSERT_EQ(clean.roots, 3u) << "a start-up with nothing failed makes a device, a swap chain and a DirectInput "
                                  "object";

    const DesktopState desktop(L"Engine");
    sweep.FailEach([&](int k, const FailureSweep::Run& run) {
        SCOPED_TRACE(testing::Message() << "of the " << plan.OwnerName(k));
        EXPECT_LE(run.calls, plan.LastOfOwner(k)) << "set-up went on past the failing object";
        plan.ExpectBoxes(k, run.boxes, window);
        desktop.ExpectRestored();
    });
}

// The fault-armed build ends with 3 instead of 0 if a root object outlived
// the program, and writes down its creating calls.
TEST_F(EngineStartUpSweep, RepresentativeCallsFailedInTheProgram)
{
    const std::vector<std::string>& log = sweep.Log();
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
        const std::vector<SeenMessageBox> seen = boxes.Seen();
        plan.ExpectBoxes(k, seen, seen.empty() ? nullptr : seen[0].owner);
        for (const SeenMessageBox& box : seen)
            EXPECT_NE(box.owner, nullptr);

        std::vector<std::string> calls = Lines(TempFolder::ReadBytes(CallLogFile));
        ASSERT_GE(calls.size(), static_cast<size_t>(k));
        calls.resize(static_cast<size_t>(k));
        EXPECT_EQ(Listed(calls), Listed(std::vector<std::string>(log.begin(), log.begin() + k)))
            << "the program's calls differ from this process's";
    }
    DeleteFileW(CallLogFile);
}
