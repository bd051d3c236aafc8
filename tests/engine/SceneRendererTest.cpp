// The scene renderer as far as it goes: the device on the application's window.
#include "SceneRenderer.h"

#include "CoverWindow.h"
#include "FaultInjection.h"
#include "MessageBoxWatcher.h"
#include "ScreenColour.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

TEST(SceneRenderer, FramesClearTheWholeScreenToBlack)
{
    CoverWindow window(RGB(255, 255, 255));
    ASSERT_TRUE(ScreenBecomes(0xFFFFFF, 2000)) << "the capture does not see the screen";

    FaultInjection::Install();
    FaultInjection::ReleaseHeldRoots();
    FaultInjection::HoldRoots(true);
    SceneRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), window.Handle()));
    for (int frame = 0; frame < 3; ++frame)
    {
        ASSERT_TRUE(renderer.Frame());
        ASSERT_TRUE(renderer.Render());
    }
    EXPECT_TRUE(ScreenBecomes(0x000000, 5000)) << ScreenPixelsNot(0x000000) << " pixels are not black";

    renderer.Shutdown();
    renderer.Shutdown();
    FaultInjection::HoldRoots(false);
    for (const auto& root : FaultInjection::ReleaseHeldRoots())
        EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
}

TEST(SceneRenderer, ShutdownWithoutInitializeDoesNothing)
{
    SceneRenderer renderer;
    renderer.Shutdown();
    renderer.Shutdown();
}

namespace
{
struct CreatingCall
{
    const char* name;
    const wchar_t* message;  // null: ends set-up without a message
};

const wchar_t Direct3DMessage[] = L"Could not initialize Direct3D.";

// Set-up so far: the graphics device and its own creating calls, then the camera.
const CreatingCall CreatingCalls[] = {
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

// Each creating call of the set-up failing in turn: the message of the
// failing object (none for an allocation), and Shutdown releases the rest.
TEST(SceneRenderer, EachFailingSetUpStepIsReportedAndShutdownReleasesTheRest)
{
    FaultInjection::Install();
    CoverWindow window(RGB(0, 0, 0));
    FaultInjection::ReleaseHeldRoots();
    FaultInjection::HoldRoots(true);

    const int callCount = static_cast<int>(std::size(CreatingCalls));
    for (int failAt = 1; failAt <= callCount; ++failAt)
    {
        const CreatingCall& call = CreatingCalls[failAt - 1];
        SCOPED_TRACE(call.name);
        MessageBoxWatcher boxes;
        SceneRenderer renderer;
        FaultInjection::Arm(failAt);
        EXPECT_FALSE(renderer.Initialize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                         window.Handle()));
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), call.name);
        EXPECT_EQ(FaultInjection::Count(), failAt) << "calls after the failure";

        std::vector<SeenMessageBox> seen = boxes.Seen();
        if (call.message)
        {
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(seen[0].caption, L"Error");
            EXPECT_EQ(seen[0].text, call.message);
            EXPECT_EQ(seen[0].owner, window.Handle());
        }
        else
        {
            EXPECT_TRUE(seen.empty());
        }

        renderer.Shutdown();
        renderer.Shutdown();
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }
    FaultInjection::HoldRoots(false);
}
