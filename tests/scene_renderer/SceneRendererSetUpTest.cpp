// Set-up of the eight objects: every creating call failed in turn, and the
// files a user can lose. The owner of the failing object reports it, or
// nobody does; set-up stops there and shut-down releases all that was made.
#include "SceneRendererTest.h"

#include "FailureSweep.h"
#include "FaultInjection.h"
#include "MessageBoxWatcher.h"
#include "StartUpPlan.h"
#include "TempFolder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
class SceneRendererSetUp : public SceneRendererTest
{
};
}

TEST_F(SceneRendererSetUp, EveryCreatingCallFailedInTurnIsReportedByItsOwnerAndUndone)
{
    FailureSweep sweep([this] {
        SceneRenderer failing;
        const bool initialized = failing.Initialize(Width, Height, window.Handle());
        failing.Shutdown();
        failing.Shutdown();
        return initialized;
    });
    EXPECT_EQ(sweep.Clean().roots, 2u) << "a device and a swap chain";
    StartUpPlan plan;
    ASSERT_TRUE(plan.Read(sweep.Log(), "graphics device")) << plan.Problem();

    sweep.FailEach([&](int k, const FailureSweep::Run& run) {
        SCOPED_TRACE(testing::Message() << "of the " << plan.OwnerName(k));
        EXPECT_LE(run.calls, plan.LastOfOwner(k)) << "set-up went on past the failing object";
        plan.ExpectBoxes(k, run.boxes, window.Handle());
    });
}

TEST_F(SceneRendererSetUp, AMissingModelOrTextureFileStopsSetUpAtTheModel)
{
    for (const char* missing : {"data/cube.txt", "data/seafloor.dds"})
    {
        SCOPED_TRACE(missing);
        TempFolder build;
        ASSERT_TRUE(build.Enter("bin"));
        for (const char* file : {"light.vs", "light.ps", "texture.vs", "texture.ps", "data/cube.txt",
                                 "data/seafloor.dds"})
        {
            if (std::string(file) == missing)
                continue;
            ASSERT_TRUE(build.Copy(std::string("Engine/") + file, "..")) << file;
        }

        SceneRenderer failing;
        MessageBoxWatcher boxes;
        FaultInjection::Arm(0);
        EXPECT_FALSE(failing.Initialize(Width, Height, window.Handle()));
        FaultInjection::Disarm();
        const std::vector<std::string> calls = FaultInjection::Calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "D3DCompile"), 0) << "the light shader was set up";
        const std::vector<SeenMessageBox> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text, L"Could not initialize the model object.");
        EXPECT_EQ(seen[0].owner, window.Handle());

        failing.Shutdown();
        ExpectRootsReleased();
    }
}
