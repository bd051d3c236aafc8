// The application in this process: set-up, loop endings and shut-down.
#include "Application.h"

#include "FaultInjection.h"
#include "MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const char GetDeviceState[] = "IDirectInputDevice8W::GetDeviceState";

int CursorCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

// Destroying the window posts a quit message nobody reads; in a test process
// it would end the next modal loop (a message box) at once.
void ShutdownAndDiscardQuit(Application& application)
{
    application.Shutdown();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}

bool EngineClassRegistered()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    return GetClassInfoExW(GetModuleHandleW(nullptr), L"Engine", &wc) != FALSE;
}

class ApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FaultInjection::Install();
        FaultInjection::ReleaseHeldRoots();
        FaultInjection::HoldRoots(true);
        cursorCount = CursorCount();
    }

    // Shut-down leaves nothing behind, whatever ended the run.
    void TearDown() override
    {
        ShutdownAndDiscardQuit(application);
        ShutdownAndDiscardQuit(application);
        FaultInjection::Disarm();
        FaultInjection::FailNext(GetDeviceState, S_OK, 0);
        EXPECT_EQ(CursorCount(), cursorCount);
        EXPECT_FALSE(EngineClassRegistered());
        EXPECT_EQ(FindWindowW(L"Engine", L"Engine"), nullptr);
        FaultInjection::HoldRoots(false);
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }

    Application application;
    int cursorCount = 0;
};
}

TEST_F(ApplicationTest, ClosingTheWindowEndsTheLoop)
{
    ASSERT_TRUE(application.Initialize());
    HWND window = FindWindowW(L"Engine", L"Engine");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CursorCount(), cursorCount - 1);

    PostMessageW(window, WM_CLOSE, 0, 0);
    application.Run();
    EXPECT_TRUE(IsWindow(window)) << "only the shut-down destroys the window";
}

TEST_F(ApplicationTest, AFailingFrameIsReportedOnceAndEndsTheLoop)
{
    ASSERT_TRUE(application.Initialize());
    MessageBoxWatcher boxes;

    FaultInjection::FailNext(GetDeviceState, E_FAIL);
    application.Run();

    std::vector<SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Frame Processing Failed");
    EXPECT_EQ(seen[0].owner, FindWindowW(L"Engine", L"Engine"));
}

// A failing step of each owner and each kind (the owners' own tests fail
// every one of their calls): the owner's message, none for an allocation,
// owned by the window; everything undone after every round.
TEST_F(ApplicationTest, FailingStartUpStepsAreReportedAndShutdownUndoesEverything)
{
    struct Step
    {
        int failAt;
        const char* call;
        const wchar_t* message;
    };
    const wchar_t* const input = L"Could not initialize the input object.";
    const wchar_t* const direct3D = L"Could not initialize Direct3D.";
    const Step steps[] = {
        {1, "operator new", nullptr},                         // the input reader
        {2, "DirectInput8Create", input},
        {10, "IDirectInputDevice8W::Acquire", input},         // the mouse
        {11, "operator new", nullptr},                        // the scene renderer
        {12, "operator new", nullptr},                        // the graphics device
        {19, "D3D11CreateDeviceAndSwapChain", direct3D},
        {28, "ID3D11Device::CreateBlendState", direct3D},     // the last of the device
        {29, "operator new", nullptr},                        // the camera
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(testing::Message() << step.failAt << ": " << step.call);
        Application failing;
        MessageBoxWatcher boxes;
        FaultInjection::Arm(step.failAt);
        EXPECT_FALSE(failing.Initialize());
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), step.call);
        EXPECT_EQ(FaultInjection::Count(), step.failAt) << "calls after the failure";

        std::vector<SeenMessageBox> seen = boxes.Seen();
        EXPECT_EQ(seen.size(), step.message ? 1u : 0u);
        if (step.message && !seen.empty())
        {
            EXPECT_EQ(seen[0].caption, L"Error");
            EXPECT_EQ(seen[0].text, step.message);
            EXPECT_EQ(seen[0].owner, FindWindowW(L"Engine", L"Engine"));
        }

        ShutdownAndDiscardQuit(failing);
        EXPECT_EQ(CursorCount(), cursorCount);
        EXPECT_FALSE(EngineClassRegistered());
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }
}
