#include "SceneRendererTest.h"

#include "FaultInjection.h"

void SceneRendererTest::SetUp()
{
    FaultInjection::Install();
    FaultInjection::ReleaseHeldRoots();
    FaultInjection::HoldRoots(true);
}

void SceneRendererTest::TearDown()
{
    renderer.Shutdown();
    renderer.Shutdown();
    FaultInjection::Disarm();
    FaultInjection::HoldRoots(false);
    ExpectEverythingReleased();
}

void SceneRendererTest::ExpectEverythingReleased()
{
    for (const auto& root : FaultInjection::ReleaseHeldRoots())
        EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
}
