// Vexelo-02-Triangle resized, maximised and restored: its back buffer keeps
// the start-up size, so every present stretches the same picture over the
// client area as it is now, and the program ends normally afterwards.
#include "ChildProcess.h"
#include "ProgramProbe.h"
#include "ScreenCapture.h"
#include "TrianglePicture.h"

#include <gtest/gtest.h>

#include <iostream>

namespace
{
const DWORD TriangleTimeoutMs = 20000;
// Stretching filters the edges.
const double Tolerance = 3.0;

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
        ASSERT_TRUE(probe.Start(program, L"Vexelo-02-Triangle.exe", L""));
        window = program.WaitForWindow(TrianglePicture::MainClass, nullptr, TriangleTimeoutMs);
        ASSERT_NE(window, nullptr);
        startSize = ClientSize(window);
    }

    // New frames after the change, then the picture: the start-up picture
    // scaled from the start-up client size to the present one.
    void ExpectStretchedPicture(const char* after)
    {
        SCOPED_TRACE(after);
        ASSERT_TRUE(probe.WaitForPresents(probe.Presents() + 20, TriangleTimeoutMs)) << "no frames";
        const SIZE size = ClientSize(window);
        const double scaleX = static_cast<double>(size.cx) / startSize.cx;
        const double scaleY = static_cast<double>(size.cy) / startSize.cy;
        ScreenCapture screen;
        ASSERT_TRUE(screen.CaptureClient(window));
        const TrianglePicture triangle(screen);
        std::cout << after << ": client " << size.cx << " x " << size.cy << ", triangle from (" << triangle.left
                  << ", " << triangle.top << ") to (" << triangle.right << ", " << triangle.bottom << ")\n";
        EXPECT_NEAR(triangle.left, TrianglePicture::Left * scaleX, Tolerance);
        EXPECT_NEAR(triangle.right, TrianglePicture::Right * scaleX, Tolerance);
        EXPECT_NEAR(triangle.top, TrianglePicture::Top * scaleY, Tolerance);
        EXPECT_NEAR(triangle.bottom, TrianglePicture::Bottom * scaleY, Tolerance);
    }

    void ExpectEndsWithZero()
    {
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(program.WaitForExit(TriangleTimeoutMs, exitCode)) << "the program did not end";
        EXPECT_EQ(exitCode, 0u);
    }

    ChildProcess program;
    HWND window = nullptr;
    ProgramProbe probe;
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
