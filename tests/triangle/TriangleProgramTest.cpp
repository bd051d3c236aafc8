// The real program, started as a user would start it and driven from outside:
// its window, what the screen shows, the About box, how it ends.
//
// Frames are counted by a probe loaded into the program that counts
// IDXGISwapChain::Present calls: the picture is the same on every frame, so
// only the presents themselves show whether the loop is drawing.
#include "ChildProcess.h"
#include "KeyboardInput.h"
#include "MessageBoxWatcher.h"
#include "ProgramProbe.h"
#include "ScreenCapture.h"
#include "TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace
{
const wchar_t Program[] = L"Vexelo-02-Triangle.exe";
const wchar_t MainClass[] = L"VEXELO01TRIANGLE";
const wchar_t MainTitle[] = L"Vexelo-01-Triangle";
const wchar_t DialogClass[] = L"#32770";
const wchar_t AboutTitle[] = L"About Vexelo-01-Triangle";
const DWORD WindowTimeoutMs = 20000;
const DWORD ExitTimeoutMs = 15000;
// Long enough for a running loop to present many frames.
const DWORD StillMs = 1000;

// A program still starting Direct3D answers late, not never.
std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, WindowTimeoutMs,
                        &copied);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

int Red(const ScreenCapture& screen, int x, int y)
{
    return (screen.Pixel(x, y) >> 16) & 0xFF;
}

int Green(const ScreenCapture& screen, int x, int y)
{
    return (screen.Pixel(x, y) >> 8) & 0xFF;
}

int Blue(const ScreenCapture& screen, int x, int y)
{
    return screen.Pixel(x, y) & 0xFF;
}

// (0, 51, 102) within rounding.
bool IsBackground(const ScreenCapture& screen, int x, int y)
{
    return Red(screen, x, y) <= 1 && std::abs(Green(screen, x, y) - 51) <= 1 &&
           std::abs(Blue(screen, x, y) - 102) <= 1;
}

// The window must have the keyboard before typed keys can reach it.
bool BringToFront(HWND window)
{
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        if (GetForegroundWindow() == window)
            return true;
        SetForegroundWindow(window);
        Sleep(20);
    }
    return false;
}

// Alt with a menu's letter opens its pop-up; an item's letter counts only once the pop-up shows.
bool OpenMenu(ChildProcess& program, WORD letter)
{
    KeyboardInput::Press({VK_MENU, letter});
    return program.WaitForWindow(L"#32768", nullptr, WindowTimeoutMs) != nullptr;
}

class TriangleProgramRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(probe.Start(program, Program, L"")) << "could not start the program with its probe";
        mainWindow = program.WaitForWindow(MainClass, nullptr, WindowTimeoutMs);
        if (!mainWindow)
        {
            DWORD exitCode = 0;
            const bool ended = program.WaitForExit(0, exitCode);
            FAIL() << "no main window appeared" << (ended ? "; the program ended with " : "; still running")
                   << (ended ? exitCode : 0);
        }
    }

    void ExpectEndsWith(DWORD expected)
    {
        DWORD exitCode = 0xDEAD;
        ASSERT_TRUE(program.WaitForExit(ExitTimeoutMs, exitCode)) << "the program did not end";
        EXPECT_EQ(exitCode, expected);
    }

    ChildProcess program;
    ProgramProbe probe;
    HWND mainWindow = nullptr;
};

TEST_F(TriangleProgramRun, MainWindowHasItsTitleClassWidthAndMenu)
{
    EXPECT_EQ(TextOf(mainWindow), MainTitle);
    EXPECT_EQ(ClassOf(mainWindow), MainClass);
    RECT client;
    ASSERT_TRUE(GetClientRect(mainWindow, &client));
    EXPECT_EQ(client.right, 500);
    // The menu bar takes its height out of the 400.
    EXPECT_LT(client.bottom, 400);
    EXPECT_GT(client.bottom, 300);

    EXPECT_EQ(probe.Menu(), L"&File{E&xit=105;}&Help{&About ...=104;}");

    // Closing the window as its close box does ends the program normally.
    PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWith(0);
}

TEST_F(TriangleProgramRun, ScreenShowsTheTriangleOnDarkBlue)
{
    ASSERT_TRUE(BringToFront(mainWindow));
    ASSERT_TRUE(probe.WaitForPresents(probe.Presents() + 20, WindowTimeoutMs));
    // Every frame goes out at once, without waiting for the vertical blank.
    EXPECT_EQ(probe.SyncIntervals(), 1 << 0);
    EXPECT_EQ(probe.PresentFlags(), 0);

    ScreenCapture screen;
    ASSERT_TRUE(screen.CaptureClient(mainWindow));
    ASSERT_EQ(screen.Width(), 500);
    EXPECT_TRUE(IsBackground(screen, 2, 2));
    EXPECT_TRUE(IsBackground(screen, 497, 2));
    EXPECT_TRUE(IsBackground(screen, 2, screen.Height() - 3));
    EXPECT_TRUE(IsBackground(screen, 497, screen.Height() - 3));

    // The triangle spans x 137.5 to 362.5 and y 100 to 300 of the 500 x 400 viewport.
    int left = screen.Width(), right = -1, top = screen.Height(), bottom = -1;
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
            if (!IsBackground(screen, x, y))
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GE(left, 137);
    EXPECT_LE(left, 139);
    EXPECT_GE(right, 361);
    EXPECT_LE(right, 362);
    EXPECT_GE(top, 100);
    EXPECT_LE(top, 102);
    EXPECT_GE(bottom, 298);
    EXPECT_LE(bottom, 299);

    EXPECT_GT(Red(screen, 250, 104), 230);
    EXPECT_LT(Green(screen, 250, 104) + Blue(screen, 250, 104), 40);
    EXPECT_GT(Green(screen, 355, 297), 230);
    EXPECT_LT(Red(screen, 355, 297) + Blue(screen, 355, 297), 40);
    EXPECT_GT(Blue(screen, 145, 297), 230);
    EXPECT_LT(Red(screen, 145, 297) + Green(screen, 145, 297), 40);

    PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWith(0);
}

TEST_F(TriangleProgramRun, FileExitEndsWithZero)
{
    ASSERT_TRUE(BringToFront(mainWindow));
    ASSERT_TRUE(OpenMenu(program, 'F')) << "the File menu did not open";
    KeyboardInput::Press({'X'});
    ExpectEndsWith(0);
}

enum class Opener { AltSlash, AltQuestionMark, HelpMenu };
enum class Closer { OkButton, Escape, CloseBox };

struct AboutCase
{
    const char* name;
    Opener opener;
    Closer closer;
};

void PrintTo(const AboutCase& about, std::ostream* out)
{
    *out << about.name;
}

void Open(Opener opener, ChildProcess& program)
{
    switch (opener)
    {
    case Opener::AltSlash:
        KeyboardInput::PressAltWith(L'/');
        break;
    case Opener::AltQuestionMark:
        KeyboardInput::PressAltWith(L'?');
        break;
    case Opener::HelpMenu:
        if (OpenMenu(program, 'H'))
            KeyboardInput::Press({'A'});
        break;
    }
}

void Close(Closer closer, HWND about)
{
    switch (closer)
    {
    case Closer::OkButton:
        PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        break;
    case Closer::Escape:
        BringToFront(about);
        KeyboardInput::Press({VK_ESCAPE});
        break;
    case Closer::CloseBox:
        PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

class TriangleProgramAbout : public TriangleProgramRun, public ::testing::WithParamInterface<AboutCase>
{
};

TEST_P(TriangleProgramAbout, OpensWithItsTextsStopsFramesAndResumesThemWhenClosed)
{
    ASSERT_TRUE(probe.WaitForPresents(probe.Presents() + 10, WindowTimeoutMs)) << "the loop is not drawing";
    const LONG before = probe.Presents();
    Sleep(StillMs);
    std::cout << "frames presented in " << StillMs << " ms before the About box: " << probe.Presents() - before
              << "\n";

    ASSERT_TRUE(BringToFront(mainWindow));
    Open(GetParam().opener, program);
    HWND about = program.WaitForWindow(DialogClass, AboutTitle, WindowTimeoutMs);
    ASSERT_TRUE(about) << "no About box";
    EXPECT_EQ(GetWindow(about, GW_OWNER), mainWindow);

    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(TextOf(child));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], L"Vexelo-01-Triangle, Version 1.0");
    EXPECT_FALSE(texts[2].empty());
    EXPECT_EQ(texts[3], L"OK");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDOK)), L"OK");

    const LONG whileOpen = probe.Presents();
    Sleep(StillMs);
    EXPECT_EQ(probe.Presents(), whileOpen) << "frames were drawn while the About box was open";

    Close(GetParam().closer, about);
    for (int wait = 0; wait < 500 && IsWindow(about); ++wait)
        Sleep(20);
    EXPECT_FALSE(IsWindow(about)) << "the About box did not close";
    EXPECT_TRUE(probe.WaitForPresents(whileOpen + 10, WindowTimeoutMs)) << "frames did not resume";

    PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWith(0);
}

// Each way in and each way out once.
const AboutCase AboutCases[] = {
    {"AltSlashThenOk", Opener::AltSlash, Closer::OkButton},
    {"AltQuestionMarkThenEscape", Opener::AltQuestionMark, Closer::Escape},
    {"HelpMenuThenCloseBox", Opener::HelpMenu, Closer::CloseBox},
};

INSTANTIATE_TEST_SUITE_P(EachWay, TriangleProgramAbout, ::testing::ValuesIn(AboutCases),
                         [](const ::testing::TestParamInfo<AboutCase>& info) { return std::string(info.param.name); });

TEST(TriangleProgramStartFailure, MissingShaderFileShowsOneBoxAndEndsNonZero)
{
    TempFolder scratch;  // has no shaders.shader
    ASSERT_TRUE(scratch.Ok());
    ChildProcess triangle;
    ASSERT_TRUE(triangle.Start(Program, scratch.Path()));
    MessageBoxWatcher boxes(triangle.Id());

    DWORD exitCode = 0;
    ASSERT_TRUE(triangle.WaitForExit(ExitTimeoutMs + WindowTimeoutMs, exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 1u) << "a crash ends with an exception code instead";
    const std::vector<SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Could not compile VShader (vs_4_0) from shaders.shader: the file was not found.");
}
}
