// The application in this process: set-up, loop endings and shut-down.
#include "Application.h"

#include "FaultInjection.h"
#include "MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <iterator>
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

namespace
{
struct CreatingCall
{
    const char* name;
    const wchar_t* message;  // null: ends set-up without a message
};

const wchar_t InputMessage[] = L"Could not initialize the input object.";
const wchar_t Direct3DMessage[] = L"Could not initialize Direct3D.";

const CreatingCall CreatingCalls[] = {
    {"operator new", nullptr},
    {"DirectInput8Create", InputMessage},
    {"IDirectInput8W::CreateDevice", InputMessage},
    {"IDirectInputDevice8W::SetDataFormat", InputMessage},
    {"IDirectInputDevice8W::SetCooperativeLevel", InputMessage},
    {"IDirectInputDevice8W::Acquire", InputMessage},
    {"IDirectInput8W::CreateDevice", InputMessage},
    {"IDirectInputDevice8W::SetDataFormat", InputMessage},
    {"IDirectInputDevice8W::SetCooperativeLevel", InputMessage},
    {"IDirectInputDevice8W::Acquire", InputMessage},
    {"operator new", nullptr},
    {"operator new", nullptr},
    {"CreateDXGIFactory", Direct3DMessage},
    {"IDXGIFactory::EnumAdapters", Direct3DMessage},
    {"IDXGIAdapter::EnumOutputs", Direct3DMessage},
    {"IDXGIOutput::GetDisplayModeList", Direct3DMessage},
    {"operator new[]", Direct3DMessage},
    {"IDXGIOutput::GetDisplayModeList", Direct3DMessage},
    {"D3D11CreateDeviceAndSwapChain", Direct3DMessage},
    {"IDXGISwapChain::GetBuffer", Direct3DMessage},
    {"ID3D11Device::CreateRenderTargetView", Direct3DMessage},
    {"ID3D11Device::CreateTexture2D", Direct3DMessage},
    {"ID3D11Device::CreateDepthStencilState", Direct3DMessage},
    {"ID3D11Device::CreateDepthStencilView", Direct3DMessage},
    {"ID3D11Device::CreateRasterizerState", Direct3DMessage},
    {"ID3D11Device::CreateDepthStencilState", Direct3DMessage},
    {"ID3D11Device::CreateBlendState", Direct3DMessage},
    {"ID3D11Device::CreateBlendState", Direct3DMessage},
    {"operator new", nullptr},
};
}

// A failing step of each owner and each kind (the owners' own tests fail
// every one of their calls): the owner's message, none for an allocation,
// owned by the window; and everything undone after every round.
TEST_F(ApplicationTest, FailingStartUpStepsAreReportedAndShutdownUndoesEverything)
{
    FaultInjection::Arm(0);
    ASSERT_TRUE(application.Initialize());
    FaultInjection::Disarm();
    std::vector<std::string> calls = FaultInjection::Calls();
    ASSERT_EQ(calls.size(), std::size(CreatingCalls));
    for (size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(calls[i], CreatingCalls[i].name);
    ShutdownAndDiscardQuit(application);

    for (int failAt : {1, 2, 10, 11, 12, 19, 28, 29})
    {
        const CreatingCall& call = CreatingCalls[failAt - 1];
        SCOPED_TRACE(testing::Message() << failAt << ": " << call.name);
        Application failing;
        MessageBoxWatcher boxes;
        FaultInjection::Arm(failAt);
        EXPECT_FALSE(failing.Initialize());
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::Count(), failAt) << "calls after the failure";

        std::vector<SeenMessageBox> seen = boxes.Seen();
        if (call.message)
        {
            EXPECT_EQ(seen.size(), 1u);
            if (!seen.empty())
            {
                EXPECT_EQ(seen[0].caption, L"Error");
                EXPECT_EQ(seen[0].text, call.message);
                EXPECT_EQ(seen[0].owner, FindWindowW(L"Engine", L"Engine"));
            }
        }
        else
        {
            EXPECT_TRUE(seen.empty());
        }

        ShutdownAndDiscardQuit(failing);
        EXPECT_EQ(CursorCount(), cursorCount);
        EXPECT_FALSE(EngineClassRegistered());
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }
}
