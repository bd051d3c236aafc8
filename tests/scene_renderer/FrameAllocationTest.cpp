// No heap allocation per frame once the first frame has built the overlay's
// quad, on a real device. This program replaces every form of operator new
// itself, so it stays clear of the fault injection (which replaces the
// nothrow forms); the link would fail if both were in.
#include "AllocationCounter.h"
#include "SceneRenderer.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

TEST(FrameAllocations, TheCounterSeesOperatorNewAndMalloc)
{
    ASSERT_TRUE(AllocationCounter::HookCRuntime()) << "the C runtime's malloc is not imported";
    AllocationCounter::Start();
    void* volatile object = ::operator new(16, std::nothrow);
    ::operator delete(object);
    void* volatile block = std::malloc(16);
    std::free(block);
    AllocationCounter::Stop();
    EXPECT_EQ(AllocationCounter::News(), 1);
    EXPECT_EQ(AllocationCounter::Mallocs(), 2) << "the new's own malloc and the direct one";
}

TEST(FrameAllocations, NoneAfterTheFirstFrame)
{
    const int Frames = 300;
    ASSERT_TRUE(AllocationCounter::HookCRuntime());
    TestWindow window(800, 600, WS_POPUP);
    SceneRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(800, 600, window.Handle()));

    AllocationCounter::Start();
    const bool firstDrawn = renderer.Frame() && renderer.Render();
    AllocationCounter::Stop();
    const long firstNews = AllocationCounter::News();
    const long firstMallocs = AllocationCounter::Mallocs();

    // Nothing in the loop may allocate, the checks included: they come after.
    AllocationCounter::Start();
    bool drawn = true;
    for (int frame = 0; frame < Frames; ++frame)
        drawn = renderer.Frame() && renderer.Render() && drawn;
    AllocationCounter::Stop();

    std::printf("first frame: %ld operator new, %ld malloc; next %d frames: %ld operator new, %ld malloc\n",
                firstNews, firstMallocs, Frames, AllocationCounter::News(), AllocationCounter::Mallocs());
    EXPECT_TRUE(firstDrawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(AllocationCounter::News(), 0);
    EXPECT_EQ(AllocationCounter::Mallocs(), 0);
    renderer.Shutdown();
}
