// Engine.exe as a user runs it, on the virtual display, and the manifest it starts with.
#include "ChildProcess.h"
#include "EngineSettings.h"
#include "KeyboardInput.h"
#include "MessageBoxWatcher.h"
#include "ScreenCapture.h"
#include "TempFolder.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
const DWORD StartTimeoutMs = 20000;
const DWORD EndTimeoutMs = 5000;
const uint32_t Black = 0x000000;
const uint32_t Blue = 0x0000FF;

// Full screen at (0, 0), or the window size centred when built windowed.
RECT ExpectedWindowRect()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if constexpr (FullScreenMode)
        return RECT{0, 0, width, height};
    const int x = (width - WindowedWidth) / 2;
    const int y = (height - WindowedHeight) / 2;
    return RECT{x, y, x + WindowedWidth, y + WindowedHeight};
}

// Polls the area until the picture passes the check.
bool CaptureWhen(const RECT& area, const std::function<bool(const ScreenCapture&)>& check, ScreenCapture& capture)
{
    const ULONGLONG deadline = GetTickCount64() + 10000;
    for (;;)
    {
        if (capture.Capture(area.left, area.top, area.right - area.left, area.bottom - area.top) && check(capture))
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        TestWindow::PumpMessages();
        Sleep(100);
    }
}

bool AllOf(const ScreenCapture& capture, int left, int top, int right, int bottom, uint32_t colour)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (capture.Pixel(x, y) != colour)
                return false;
    return true;
}

bool NoneOf(const ScreenCapture& capture, int left, int top, int right, int bottom, uint32_t colour)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (capture.Pixel(x, y) == colour)
                return false;
    return true;
}

// The overlay square from (50, 50) to (149, 149): the off-screen picture
// scaled down, blue all round, the small cube in its middle.
bool ShowsTheOverlay(const ScreenCapture& capture)
{
    const int left = 50, top = 50, right = 150, bottom = 150, border = 14;
    return AllOf(capture, left, top, right, top + border, Blue) &&
           AllOf(capture, left, bottom - border, right, bottom, Blue) &&
           AllOf(capture, left, top, left + border, bottom, Blue) &&
           AllOf(capture, right - border, top, right, bottom, Blue) &&
           NoneOf(capture, 95, 95, 105, 105, Blue) && NoneOf(capture, 95, 95, 105, 105, Black);
}

// Black all round the square and in the corners; the lit cube in the middle.
bool ShowsTheScene(const ScreenCapture& capture)
{
    const int width = capture.Width(), height = capture.Height(), corner = 20;
    const int middleX = width / 2, middleY = height / 2;
    return AllOf(capture, 0, 0, width, 50, Black) && AllOf(capture, 0, 150, 50, height, Black) &&
           AllOf(capture, 0, 0, 50, 150, Black) && AllOf(capture, 150, 50, 160, 150, Black) &&
           AllOf(capture, 50, 150, 150, 160, Black) && AllOf(capture, width - corner, 0, width, corner, Black) &&
           AllOf(capture, 0, height - corner, corner, height, Black) &&
           AllOf(capture, width - corner, height - corner, width, height, Black) &&
           NoneOf(capture, middleX - 10, middleY - 10, middleX + 10, middleY + 10, Black) &&
           NoneOf(capture, middleX - 10, middleY - 10, middleX + 10, middleY + 10, Blue);
}

// Green, and neither red nor blue, all over the middle of the screen.
bool ShowsAGreenCube(const ScreenCapture& capture)
{
    const int middleX = capture.Width() / 2, middleY = capture.Height() / 2;
    for (int y = middleY - 10; y < middleY + 10; ++y)
        for (int x = middleX - 10; x < middleX + 10; ++x)
            if ((capture.Pixel(x, y) & 0xFF00FF) != 0 || (capture.Pixel(x, y) & 0x00FF00) == 0)
                return false;
    return true;
}

void ExpectOneRunOfBoxes(ChildProcess& engine, MessageBoxWatcher& boxes,
                         const std::vector<std::pair<std::wstring, std::wstring>>& expected)
{
    DWORD exitCode = 1;
    ASSERT_TRUE(engine.WaitForExit(StartTimeoutMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
    const std::vector<SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i)
    {
        EXPECT_EQ(seen[i].caption, expected[i].first) << "box " << i;
        EXPECT_EQ(seen[i].text, expected[i].second) << "box " << i;
        EXPECT_NE(seen[i].owner, nullptr) << "box " << i;
    }
}

// One application setting of an activation context, as the system reads it.
std::wstring Setting(HANDLE context, const wchar_t* space, const wchar_t* name)
{
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, space, name, value, 64, &written))
        return L"(none: " + std::to_wstring(GetLastError()) + L")";
    return value;
}
}

// The manifest built into Engine.exe (resource 1), read by the system's own
// parser as at the program's start.
TEST(EngineManifest, AsksForPerMonitorV2AwarenessAndRunsAsInvoker)
{
    const std::wstring program = std::filesystem::absolute("Engine.exe").wstring();
    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "no manifest the system takes: " << GetLastError();

    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2");
    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof(level),
                             nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);
    ReleaseActCtx(context);
}

TEST(EngineProgram, ItDrawsTheSpinningCubeUnderTheOverlayAndHoldingEscapeEndsIt)
{
    // A white window first: the capture must see it, so the picture is the program's.
    const RECT expected = ExpectedWindowRect();
    TestWindow cover(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), WS_POPUP);
    HDC coverDc = GetDC(cover.Handle());
    RECT coverRect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    FillRect(coverDc, &coverRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(cover.Handle(), coverDc);
    ScreenCapture first;
    ASSERT_TRUE(CaptureWhen(expected, [](const ScreenCapture& c) { return AllOf(c, 0, 0, c.Width(), c.Height(), 0xFFFFFF); },
                            first))
        << "the capture does not see the screen";

    ChildProcess engine;
    ASSERT_TRUE(engine.Start(L"Engine.exe", L""));
    HWND window = engine.WaitForWindow(L"Engine", L"Engine", StartTimeoutMs);
    ASSERT_NE(window, nullptr);
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);

    EXPECT_TRUE(CaptureWhen(expected, ShowsTheScene, first)) << "black around the lit cube";
    EXPECT_TRUE(ShowsTheOverlay(first)) << "the blue square with the small cube";
    // A quarter turn on the cube looks as it did, and a capture can catch a picture half
    // shown: look until one shows the whole scene turned.
    ScreenCapture second;
    EXPECT_TRUE(CaptureWhen(expected,
                            [&first](const ScreenCapture& c) {
                                return first.DifferingPixels(c) > 1000 && ShowsTheScene(c) && ShowsTheOverlay(c);
                            },
                            second))
        << "the cube does not turn, or the scene or its overlay is gone";

    DWORD exitCode = 1;
    ASSERT_TRUE(KeyboardInput::HoldUntilExit(VK_ESCAPE, engine, exitCode, EndTimeoutMs))
        << "still running " << EndTimeoutMs << " ms after Escape went down";
    EXPECT_EQ(exitCode, 0u);
}

// A PNG saved as the texture: the loader goes by the content, so the cube is
// drawn green (no red or blue under a white light); closing the window ends it.
TEST(EngineProgram, APngSavedAsItsTextureIsDrawnAndClosingTheWindowEndsItWithZero)
{
    const std::string green = TempFolder::ReadBytes("../imagemagick/green.png");
    if (green.empty())
        GTEST_SKIP() << "ImageMagick wrote no PNG on this build host";
    const std::filesystem::path program = std::filesystem::absolute("Engine.exe");
    TempFolder build;
    ASSERT_TRUE(build.Enter("bin"));
    for (const char* file : {"light.vs", "light.ps", "texture.vs", "texture.ps", "data/cube.txt"})
        ASSERT_TRUE(build.Copy(std::string("Engine/") + file, "..")) << file;
    ASSERT_FALSE(build.Write("Engine/data/seafloor.dds", green).empty());

    ChildProcess engine;
    ASSERT_TRUE(engine.Start(program.wstring(), L""));
    HWND window = engine.WaitForWindow(L"Engine", L"Engine", StartTimeoutMs);
    ASSERT_NE(window, nullptr);
    ScreenCapture capture;
    EXPECT_TRUE(CaptureWhen(ExpectedWindowRect(), ShowsAGreenCube, capture)) << "a green cube in the middle";

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(engine.WaitForExit(EndTimeoutMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// The keyboard cannot be acquired (as when the window cannot take the
// foreground), the device cannot be made, or the first frame cannot write
// its constants: one box each, and the program still ends with 0.
TEST(EngineProgram, AFailureIsReportedOnceAndTheProgramEndsWithZero)
{
    const std::pair<const wchar_t*, const wchar_t*> failures[] = {
        {L"VEXELO_FAIL_CALL=IDirectInputDevice8W::Acquire", L"Could not initialize the input object."},
        {L"VEXELO_FAIL_CALL=D3D11CreateDeviceAndSwapChain", L"Could not initialize Direct3D."},
        {L"VEXELO_FAIL_CALL=ID3D11DeviceContext::Map", L"Frame Processing Failed"},
    };
    for (const auto& failure : failures)
    {
        SCOPED_TRACE(failure.first);
        ChildProcess engine;
        ASSERT_TRUE(engine.Start(L"EngineWithFaults.exe", L"", L"", {failure.first, L"VEXELO_FAIL_RESULT=80070005"}));
        MessageBoxWatcher boxes(engine.Id());
        ExpectOneRunOfBoxes(engine, boxes, {{L"Error", failure.second}});
    }
}

// The program run from a copy of its folders with one file missing or broken.
TEST(EngineProgram, AMissingOrBrokenFileIsReportedAndTheProgramEndsWithZero)
{
    const std::filesystem::path program = std::filesystem::absolute("Engine.exe");
    const std::wstring model = L"Could not initialize the model object.";
    struct Case
    {
        const char* file;
        const char* text;  // null: left out
        std::vector<std::pair<std::wstring, std::wstring>> boxes;
    };
    const Case cases[] = {
        {"data/cube.txt", nullptr, {{L"Error", model}}},
        {"data/seafloor.dds", nullptr, {{L"Error", model}}},
        {"light.ps",
         "float4 LightPixelShader() : SV_TARGET { return undefinedColour; }\n",
         {{L"../Engine/light.ps", L"Error compiling shader.  Check shader-error.txt for message."},
          {L"Error", L"Could not initialize the light shader object."}}},
    };
    for (const Case& broken : cases)
    {
        SCOPED_TRACE(broken.file);
        TempFolder build;
        ASSERT_TRUE(build.Enter("bin"));
        for (const char* file : {"light.vs", "light.ps", "texture.vs", "texture.ps", "data/cube.txt",
                                 "data/seafloor.dds"})
        {
            if (std::string(file) == broken.file)
                continue;
            ASSERT_TRUE(build.Copy(std::string("Engine/") + file, "..")) << file;
        }
        if (broken.text)
        {
            ASSERT_FALSE(build.Write(std::string("Engine/") + broken.file, broken.text).empty());
        }

        ChildProcess engine;
        ASSERT_TRUE(engine.Start(program.wstring(), L""));
        MessageBoxWatcher boxes(engine.Id());
        ExpectOneRunOfBoxes(engine, boxes, broken.boxes);
        if (broken.text)
        {
            EXPECT_NE(build.Read("bin/shader-error.txt").find("undefinedColour"), std::string::npos)
                << "the compiler's text in shader-error.txt";
        }
    }
}
