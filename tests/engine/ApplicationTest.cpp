// The application in this process: set-up, loop endings and shut-down.
#include "Application.h"

#include "FaultInjection.h"
#include "HeldRootsTest.h"
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

// The whole start-up with each creating call failed in turn is the start-up
// sweep's (tests/resilience).
class ApplicationTest : public HeldRootsTest
{
protected:
    void SetUp() override
    {
        HeldRootsTest::SetUp();
        cursorCount = CursorCount();
    }

    // Shut-down leaves nothing behind, whatever ended the run.
    void TearDown() override
    {
        ShutdownAndDiscardQuit(application);
        ShutdownAndDiscardQuit(application);
        FaultInjection::FailNext(GetDeviceState, S_OK, 0);
        EXPECT_EQ(CursorCount(), cursorCount);
        EXPECT_FALSE(EngineClassRegistered());
        EXPECT_EQ(FindWindowW(L"Engine", L"Engine"), nullptr);
        HeldRootsTest::TearDown();
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
