// Set-up of the eight objects: every creating call failed in turn, and the
// files a user can lose. The owner of the failing object reports it, or
// nobody does; set-up stops there and shut-down releases all that was made.
#include "SceneRendererTest.h"

#include "FaultInjection.h"
#include "MessageBoxWatcher.h"
#include "TempFolder.h"

#include <string>
#include <vector>

namespace
{
const wchar_t Direct3D[] = L"Could not initialize Direct3D.";
const wchar_t ModelObject[] = L"Could not initialize the model object.";
const wchar_t LightShaderObject[] = L"Could not initialize the light shader object.";
const wchar_t DebugWindowObject[] = L"Could not initialize the debug window object.";
const wchar_t TextureShaderObject[] = L"Could not initialize the texture shader object.";

// The creating calls of a successful set-up (1-based), object by object: its
// allocation first, then its own calls up to the last.
struct Owner
{
    const char* name;
    int allocation;
    int last;
    const wchar_t* message;  // null: none shown
};
const Owner Owners[] = {
    {"graphics device", 1, 17, Direct3D},
    {"camera", 18, 18, nullptr},
    {"model", 19, 30, ModelObject},
    {"light shader", 31, 41, LightShaderObject},
    {"light", 42, 42, nullptr},
    {"render texture", 43, 46, nullptr},
    {"debug window", 47, 51, DebugWindowObject},
    {"texture shader", 52, 61, TextureShaderObject},
};
const int SetUpCalls = 61;
// The debug window asks for both of its arrays before it looks at either.
const int AskedTogetherWithTheNext = 48;

// Reading and compiling one shader file; a failure there, with no compiler
// text to show, has the shader name the file first.
struct ShaderRead
{
    int first;
    int compile;
    const wchar_t* file;
};
const ShaderRead ShaderReads[] = {
    {32, 33, L"../Engine/light.vs"},
    {34, 35, L"../Engine/light.ps"},
    {53, 54, L"../Engine/texture.vs"},
    {55, 56, L"../Engine/texture.ps"},
};

struct Box
{
    std::wstring caption;
    std::wstring text;
};

std::vector<Box> ExpectedBoxes(int failAt)
{
    std::vector<Box> boxes;
    for (const Owner& owner : Owners)
    {
        if (failAt < owner.allocation || failAt > owner.last)
            continue;
        if (failAt == owner.allocation || !owner.message)
            return boxes;
        for (const ShaderRead& read : ShaderReads)
            if (failAt >= read.first && failAt <= read.compile)
                boxes.push_back(Box{L"Missing Shader File", read.file});
        boxes.push_back(Box{L"Error", owner.message});
    }
    return boxes;
}

void ExpectBoxes(const std::vector<SeenMessageBox>& seen, const std::vector<Box>& expected, HWND owner)
{
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i)
    {
        EXPECT_EQ(seen[i].caption, expected[i].caption) << "box " << i;
        EXPECT_EQ(seen[i].text, expected[i].text) << "box " << i;
        EXPECT_EQ(seen[i].owner, owner) << "box " << i;
    }
}

class SceneRendererSetUp : public SceneRendererTest
{
};
}

TEST_F(SceneRendererSetUp, EveryCreatingCallFailedInTurnIsReportedByItsOwnerAndUndone)
{
    // The table above must describe what a clean set-up really does.
    FaultInjection::Arm(0);
    ASSERT_TRUE(renderer.Initialize(Width, Height, window.Handle()));
    FaultInjection::Disarm();
    const std::vector<std::string> calls = FaultInjection::Calls();
    ASSERT_EQ(calls.size(), static_cast<size_t>(SetUpCalls));
    for (const Owner& owner : Owners)
        EXPECT_EQ(calls[owner.allocation - 1], "operator new") << owner.name;
    for (const ShaderRead& read : ShaderReads)
        EXPECT_EQ(calls[read.compile - 1], "D3DCompile");
    renderer.Shutdown();
    ExpectEverythingReleased();

    for (int failAt = 1; failAt <= SetUpCalls; ++failAt)
    {
        SCOPED_TRACE(testing::Message() << failAt << ": " << calls[failAt - 1]);
        SceneRenderer failing;
        MessageBoxWatcher boxes;
        FaultInjection::Arm(failAt);
        EXPECT_FALSE(failing.Initialize(Width, Height, window.Handle()));
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), calls[failAt - 1]);
        const int lastCall = failAt == AskedTogetherWithTheNext ? failAt + 1 : failAt;
        EXPECT_EQ(FaultInjection::Count(), lastCall) << "set-up went on after the failure";
        ExpectBoxes(boxes.Seen(), ExpectedBoxes(failAt), window.Handle());

        failing.Shutdown();
        failing.Shutdown();
        ExpectEverythingReleased();
    }
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
        EXPECT_LT(FaultInjection::Count(), Owners[3].allocation) << "objects after the model were created";
        ExpectBoxes(boxes.Seen(), {Box{L"Error", ModelObject}}, window.Handle());

        failing.Shutdown();
        ExpectEverythingReleased();
    }
}
