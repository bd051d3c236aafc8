// The scene renderer as far as it goes: the device on the application's window.
#include "SceneRenderer.h"

#include "CoverWindow.h"
#include "ScreenColour.h"

#include <gtest/gtest.h>

TEST(SceneRenderer, FramesClearTheWholeScreenToBlack)
{
    CoverWindow window(RGB(255, 255, 255));
    ASSERT_TRUE(ScreenBecomes(0xFFFFFF, 2000)) << "the capture does not see the screen";

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
}

TEST(SceneRenderer, ShutdownWithoutInitializeDoesNothing)
{
    SceneRenderer renderer;
    renderer.Shutdown();
    renderer.Shutdown();
}
