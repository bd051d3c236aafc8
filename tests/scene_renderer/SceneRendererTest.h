#pragma once

#include "HeldRootsTest.h"
#include "SceneRenderer.h"
#include "TestWindow.h"

// The scene renderer on a window of the windowed program's size, with every
// root object it creates held, so a test can check that shut-down released
// all of it.
class SceneRendererTest : public HeldRootsTest
{
protected:
    static const int Width = 800;
    static const int Height = 600;

    // Shuts the renderer down twice, then expects everything released.
    void TearDown() override
    {
        renderer.Shutdown();
        renderer.Shutdown();
        HeldRootsTest::TearDown();
    }

    TestWindow window{Width, Height, WS_POPUP};
    SceneRenderer renderer;
};
