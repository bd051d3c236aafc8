// Vexelo-02-Triangle resized, maximised and restored: its back buffer keeps
// the start-up size, so every present stretches the same picture over the
// client area as it is now, and the program ends normally afterwards.
#include "ChildProcess.h"
#include "ProgramProbe.h"
#include "ScreenCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace
{
const wchar_t MainClass[] = L"VEXELO01TRIANGLE";
const DWORD TimeoutMs = 20000;
// The triangle inside the 500 x 400 viewport, in back-buffer pixels.
const double TriangleLeft = 137.5, TriangleRight = 362.5, TriangleTop = 100.0, TriangleBottom = 300.0;
// Stretching filters the edges.
const double Tolerance = 3.0;

struct Box
{
    int left, top, right, bottom;  // inclusive; right < left when nothing was found
};

// Not the dark blue (0, 51, 102) of the cleared back buffer.
bool IsTriangle(uint32_t pixel)
{
    const int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    return red > 8 || std::abs(green - 51) > 8 || std::abs(blue - 102) > 8;
}

Box TriangleOnScreen(const ScreenCapture& screen)
{
    Box box = {screen.Width(), screen.Height(), -1, -1};
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
            if (IsTriangle(screen.Pixel(x, y)))
            {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

SIZE ClientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

class TriangleWindowSize : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.Start(L"Vexelo-02-Triangle.exe", L""));
        window = program.WaitForWindow(MainClass, nullptr, TimeoutMs);
        ASSERT_NE(window, nullptr);
        probe = std::make_unique<ProgramProbe>(program.Handle(), program.Id());
        ASSERT_TRUE(probe->Counting());
        startSize = ClientSize(window);
    }

    // New frames after the change, then the picture: the start-up picture
    // scaled from the start-up client size to the present one.
    void ExpectStretchedPicture(const char* after)
    {
        SCOPED_TRACE(after);
        ASSERT_TRUE(probe->WaitForPresents(probe->Presents() + 20, TimeoutMs)) << "no frames";
        const SIZE size = ClientSize(window);
        const double scaleX = static_cast<double>(size.cx) / startSize.cx;
        const double scaleY = static_cast<double>(size.cy) / startSize.cy;
        ScreenCapture screen;
        ASSERT_TRUE(screen.CaptureClient(window));
        const Box box = TriangleOnScreen(screen);
        std::cout << after << ": client " << size.cx << " x " << size.cy << ", triangle from (" << box.left << ", "
                  << box.top << ") to (" << box.right << ", " << box.bottom << ")\n";
        EXPECT_NEAR(box.left, TriangleLeft * scaleX, Tolerance);
        EXPECT_NEAR(box.right + 1, TriangleRight * scaleX, Tolerance);
        EXPECT_NEAR(box.top, TriangleTop * scaleY, Tolerance);
        EXPECT_NEAR(box.bottom + 1, TriangleBottom * scaleY, Tolerance);
    }

    void ExpectEndsWithZero()
    {
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(program.WaitForExit(TimeoutMs, exitCode)) << "the program did not end";
        EXPECT_EQ(exitCode, 0u);
    }

    ChildProcess program;
    HWND window = nullptr;
    std::unique_ptr<ProgramProbe> probe;
    SIZE startSize = {};
};
}

TEST_F(TriangleWindowSize, ResizedMaximisedAndRestoredTheSamePictureIsStretchedOverTheWindow)
{
    ExpectStretchedPicture("start");

    RECT frame = {};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 300, frame.bottom - frame.top + 150,
                 SWP_NOMOVE | SWP_NOZORDER);
    ExpectStretchedPicture("resized");

    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left - 250, frame.bottom - frame.top - 100,
                 SWP_NOMOVE | SWP_NOZORDER);
    ExpectStretchedPicture("made smaller");

    SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(window));
    ExpectStretchedPicture("maximised");

    SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(window));
    ExpectStretchedPicture("restored");

    ExpectEndsWithZero();
}
