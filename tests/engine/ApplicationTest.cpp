// The application in this process: set-up, loop endings and shut-down.
#include "Application.h"
#include "EngineSettings.h"

#include "DesktopState.h"
#include "FaultInjection.h"
#include "HeldRootsTest.h"
#include "MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
const char KeyboardRead[] = "IDirectInputDevice8W::GetDeviceState";

void ShutdownAndDiscardQuit(Application& application)
{
    application.Shutdown();
    DesktopState::DiscardQuitMessages();
}

// The whole start-up with each creating call failed in turn is the start-up
// sweep's (tests/resilience).
class ApplicationTest : public HeldRootsTest
{
protected:

    // Shut-down leaves nothing behind, whatever ended the run.
    void TearDown() override
    {
        ShutdownAndDiscardQuit(application);
        ShutdownAndDiscardQuit(application);
        FaultInjection::FailNext(KeyboardRead, S_OK, 0);
        desktop.ExpectRestored();
        HeldRootsTest::TearDown();
    }

    const DesktopState desktop{L"Engine"};
    Application application;
};
}

TEST_F(ApplicationTest, ClosingTheWindowEndsTheLoop)
{
    ASSERT_TRUE(application.Initialize());
    HWND window = FindWindowW(L"Engine", L"Engine");
    ASSERT_NE(window, nullptr);
    EXPECT_LT(DesktopState::CursorCount(), 0) << "the cursor is shown";

    PostMessageW(window, WM_CLOSE, 0, 0);
    application.Run();
    EXPECT_TRUE(IsWindow(window)) << "only the shut-down destroys the window";
}

TEST_F(ApplicationTest, AFailingFrameIsReportedOnceAndEndsTheLoop)
{
    ASSERT_TRUE(application.Initialize());
    MessageBoxWatcher boxes;

    FaultInjection::FailNext(KeyboardRead, E_FAIL);
    application.Run();

    std::vector<SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Frame Processing Failed");
    EXPECT_EQ(seen[0].owner, FindWindowW(L"Engine", L"Engine"));
}

// What the start-up asks of the platform that the screen cannot show: the
// class and styles of its window, the display mode (Xvfb has only one) and how
// each shader is compiled.
TEST_F(ApplicationTest, StartUpAsksForABorderlessWindowTheScreensModeAndStrictShaders)
{
    {
        // Stopped before the device, whose switch to full screen restyles the window.
        Application stopped;
        MessageBoxWatcher boxes;
        FaultInjection::FailNext("DirectInput8Create", E_FAIL);
        ASSERT_FALSE(stopped.Initialize());
        HWND window = FindWindowW(L"Engine", L"Engine");
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_OWNDC));
        EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & ~WS_VISIBLE, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE), WS_EX_APPWINDOW);
        ShutdownAndDiscardQuit(stopped);
    }

    FaultInjection::Arm(0);
    ASSERT_TRUE(application.Initialize());
    ShutdownAndDiscardQuit(application);
    FaultInjection::Disarm();

    const std::vector<FaultInjection::DisplayModeRequest> modes = FaultInjection::DisplayModes();
    if constexpr (FullScreenMode)
    {
        ASSERT_EQ(modes.size(), 2u) << "the screen's mode at start-up, the registry's at shut-down";
        DEVMODEW expected;
        std::memset(&expected, 0, sizeof(expected));
        expected.dmSize = sizeof(DEVMODEW);
        expected.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        expected.dmBitsPerPel = 32;
        expected.dmPelsWidth = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
        expected.dmPelsHeight = static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN));
        const DEVMODEW& requested = modes[0].requested;
        ASSERT_TRUE(modes[0].mode);
        EXPECT_EQ(modes[0].flags, static_cast<DWORD>(CDS_FULLSCREEN));
        EXPECT_EQ(requested.dmFields, expected.dmFields);
        EXPECT_EQ(requested.dmBitsPerPel, 32u);
        EXPECT_EQ(requested.dmPelsWidth, expected.dmPelsWidth);
        EXPECT_EQ(requested.dmPelsHeight, expected.dmPelsHeight);
        EXPECT_EQ(std::memcmp(&requested, &expected, sizeof(expected)), 0) << "a field beyond those is set";
        EXPECT_FALSE(modes[1].mode);
        EXPECT_EQ(modes[1].flags, 0u);
    }
    else
        EXPECT_TRUE(modes.empty()) << "a windowed program leaves the display mode alone";

    const char* const shaders[][2] = {{"LightVertexShader", "vs_5_0"},
                                      {"LightPixelShader", "ps_5_0"},
                                      {"TextureVertexShader", "vs_5_0"},
                                      {"TexturePixelShader", "ps_5_0"}};
    const std::vector<FaultInjection::CompileRequest> compiles = FaultInjection::Compiles();
    ASSERT_EQ(compiles.size(), 4u);
    for (size_t i = 0; i < compiles.size(); ++i)
    {
        SCOPED_TRACE(shaders[i][0]);
        EXPECT_EQ(compiles[i].entryPoint, shaders[i][0]);
        EXPECT_EQ(compiles[i].profile, shaders[i][1]);
        EXPECT_EQ(compiles[i].flags1, 0x800u) << "strictness only";
        EXPECT_EQ(compiles[i].flags2, 0u);
        EXPECT_FALSE(compiles[i].defines);
        EXPECT_FALSE(compiles[i].include);
    }
}
