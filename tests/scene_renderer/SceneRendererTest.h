#pragma once

#include "SceneRenderer.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

// The scene renderer on a window of the windowed program's size, with every
// root object it creates held by the fault injection, so a test can check that
// shut-down released all of it.
class SceneRendererTest : public ::testing::Test
{
protected:
    static const int Width = 800;
    static const int Height = 600;

    void SetUp() override;
    // Shuts the renderer down twice, then expects everything released.
    void TearDown() override;

    // The device's and the swap chain's last reference went with shut-down.
    static void ExpectEverythingReleased();

    TestWindow window{Width, Height, WS_POPUP};
    SceneRenderer renderer;
};
