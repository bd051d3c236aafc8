// Whole frames: the overlay square over the scene, and frames that fail.
#include "SceneRendererTest.h"

#include "ComPtr.h"
#include "FaultInjection.h"
#include "PresentProbe.h"
#include "TempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace
{
const uint32_t OpaqueBlue = 0xFFFF0000;  // RGBA8 as 0xAABBGGRR
const uint32_t OpaqueBlack = 0xFF000000;

// A lit, textured square facing the camera at z = 0, where the camera at
// z = -5 sees it from about (24, 25) to (182, 177) on an 800 x 600 screen:
// under the overlay (50, 50 to 149, 149) and around it, but away from the
// middle of the screen.
const char TopLeftSquare[] =
    "Vertex Count: 6\n\nData:\n\n"
    "-2.6 1.9 0.0 0.0 0.0 0.0 0.0 -1.0\n"
    "-1.5 1.9 0.0 1.0 0.0 0.0 0.0 -1.0\n"
    "-1.5 0.85 0.0 1.0 1.0 0.0 0.0 -1.0\n"
    "-2.6 1.9 0.0 0.0 0.0 0.0 0.0 -1.0\n"
    "-1.5 0.85 0.0 1.0 1.0 0.0 0.0 -1.0\n"
    "-2.6 0.85 0.0 0.0 1.0 0.0 0.0 -1.0\n";

// Depth in 0..1 from a D24S8 texel read back. Direct3D keeps the stencil in
// the top byte, Wine's staging copy OpenGL's order (stencil lowest); the
// cleared far depth of the background tells which.
double DepthAt(const TextureReadback& depth, int x, int y, uint32_t background)
{
    const uint32_t texel = depth.At<uint32_t>(x, y);
    const bool stencilHigh = (background & 0xFFFFFFu) == 0xFFFFFFu;
    return (stencilHigh ? texel & 0xFFFFFFu : texel >> 8) / 16777215.0;
}

bool IsLit(uint32_t pixel)
{
    return pixel != OpaqueBlack && pixel != OpaqueBlue && (pixel & 0xFFFFFFu) != 0;
}

class SceneRendererFrame : public SceneRendererTest
{
};
}

// With this square under the overlay, the overlay must show the off-screen
// picture (blue away from the square) where the square was drawn on the
// back buffer, and leave the square's depth as it was: drawn with depth
// testing, and so depth writing, off.
TEST_F(SceneRendererFrame, TheOverlayCoversTheModelWithoutTouchingItsDepth)
{
    ASSERT_LT(ModelRotation(), 0.1f) << "the square must face the camera: run in a process of its own";
    TempFolder build;
    ASSERT_TRUE(build.Enter("bin"));
    for (const char* file : {"light.vs", "light.ps", "texture.vs", "texture.ps", "data/seafloor.dds"})
        ASSERT_TRUE(build.Copy(std::string("Engine/") + file, "..")) << file;
    ASSERT_FALSE(build.Write("Engine/data/cube.txt", TopLeftSquare).empty());

    ASSERT_TRUE(renderer.Initialize(Width, Height, window.Handle()));
    ASSERT_TRUE(PresentProbe::Attach(FaultInjection::LastSwapChain()));
    ASSERT_TRUE(renderer.Frame());
    PresentProbe::CaptureNextFrame();
    ASSERT_TRUE(renderer.Render());
    ASSERT_TRUE(PresentProbe::Captured());
    const TextureReadback& colour = PresentProbe::Colour();
    const TextureReadback& depth = PresentProbe::Depth();

    EXPECT_EQ(colour.Rgba8(400, 500), OpaqueBlack) << "background";
    for (const POINT& beside : {POINT{40, 100}, POINT{165, 100}, POINT{100, 40}, POINT{100, 165}})
        EXPECT_TRUE(IsLit(colour.Rgba8(beside.x, beside.y))) << "square at " << beside.x << "," << beside.y;
    for (const POINT& inside : {POINT{100, 100}, POINT{140, 140}, POINT{60, 140}, POINT{140, 60}})
        EXPECT_EQ(colour.Rgba8(inside.x, inside.y), OpaqueBlue) << "overlay at " << inside.x << "," << inside.y;

    const uint32_t background = depth.At<uint32_t>(400, 500);
    const double squareDepth = DepthAt(depth, 40, 100, background);
    EXPECT_GT(squareDepth, 0.9);
    EXPECT_LT(squareDepth, 0.99);
    EXPECT_NEAR(DepthAt(depth, 100, 100, background), squareDepth, 0.001) << "the overlay wrote depth";
    EXPECT_NEAR(DepthAt(depth, 140, 140, background), squareDepth, 0.001) << "the overlay wrote depth";

    // The next frame starts as this one did: depth testing on.
    ComPtr<ID3D11DeviceContext> context;
    FaultInjection::LastDevice()->GetImmediateContext(context.Put());
    ComPtr<ID3D11DepthStencilState> state;
    UINT reference = 0;
    context->OMGetDepthStencilState(state.Put(), &reference);
    ASSERT_TRUE(state);
    D3D11_DEPTH_STENCIL_DESC desc;
    state->GetDesc(&desc);
    EXPECT_TRUE(desc.DepthEnable);
}

// Each creating call of the first frame (the light shader's maps in both
// scene passes, the debug window's first quad, the texture shader's map)
// failing in turn ends the frame there, unpresented.
TEST_F(SceneRendererFrame, EveryCallOfAFrameFailedInTurnEndsItUnpresented)
{
    std::vector<std::string> calls;
    for (int failAt = 0; failAt <= static_cast<int>(calls.size()) && !HasFailure(); ++failAt)
    {
        SCOPED_TRACE(failAt ? calls[failAt - 1] + " failed" : "nothing failed");
        SceneRenderer failing;
        ASSERT_TRUE(failing.Initialize(Width, Height, window.Handle()));
        ASSERT_TRUE(PresentProbe::Attach(FaultInjection::LastSwapChain()));
        const int presents = PresentProbe::Presents();

        EXPECT_TRUE(failing.Frame());
        FaultInjection::Arm(failAt);
        const bool drawn = failing.Render();
        FaultInjection::Disarm();
        if (failAt == 0)
            calls = FaultInjection::Calls();
        else
            EXPECT_EQ(FaultInjection::FailedCall(), calls[failAt - 1]);
        EXPECT_EQ(drawn, failAt == 0);
        EXPECT_EQ(FaultInjection::Count(), failAt ? failAt : static_cast<int>(calls.size()))
            << "the frame went on after the failure";
        EXPECT_EQ(PresentProbe::Presents(), presents + (failAt ? 0 : 1));

        failing.Shutdown();
        ExpectRootsReleased();
    }
    EXPECT_FALSE(calls.empty());
}
