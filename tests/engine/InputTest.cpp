// The DirectInput reader with real devices, driven by synthesized input.
#include "Input.h"

#include "FaultInjection.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace
{
void SendKey(WORD virtualKey, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(INPUT));
}

void MoveMouse(int dx, int dy)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(INPUT));
}

class InputTest : public ::testing::Test
{
protected:
    // Relative moves are accelerated by default; the tests need them exact.
    void SetUp() override
    {
        SystemParametersInfoW(SPI_GETMOUSE, 0, savedAcceleration, 0);
        int noAcceleration[3] = {0, 0, 0};
        SystemParametersInfoW(SPI_SETMOUSE, 0, noAcceleration, 0);
        FaultInjection::Install();
        FaultInjection::ReleaseHeldRoots();
        FaultInjection::HoldRoots(true);
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
        SetForegroundWindow(window.Handle());
        TestWindow::PumpMessages();
    }
    // Devices hold their DirectInput object: it dies with the last reference
    // only when everything was released.
    void TearDown() override
    {
        input.Shutdown();
        SystemParametersInfoW(SPI_SETMOUSE, 0, savedAcceleration, 0);
        FaultInjection::Disarm();
        FaultInjection::FailNext("IDirectInputDevice8W::GetDeviceState", S_OK, 0);
        FaultInjection::HoldRoots(false);
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }

    // Runs frames until the condition holds; input arrives asynchronously.
    bool FramesUntil(const std::function<bool()>& condition)
    {
        for (int i = 0; i < 200; ++i)
        {
            TestWindow::PumpMessages();
            if (!input.Frame())
                return false;
            if (condition())
                return true;
            Sleep(10);
        }
        return false;
    }

    bool RunFrames(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            TestWindow::PumpMessages();
            if (!input.Frame())
                return false;
            Sleep(10);
        }
        return true;
    }

    bool MouseAt(int x, int y)
    {
        int mouseX = -1;
        int mouseY = -1;
        input.GetMouseLocation(mouseX, mouseY);
        return mouseX == x && mouseY == y;
    }

    TestWindow window{320, 240};
    Input input;
    int savedAcceleration[3] = {};
};
}

TEST_F(InputTest, StartsAtTheOriginWithNoKeyDown)
{
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
    ASSERT_TRUE(input.Frame());
    EXPECT_TRUE(MouseAt(0, 0));
    EXPECT_FALSE(input.IsEscapePressed());
}

TEST_F(InputTest, EscapeIsReportedWhileHeld)
{
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
    SendKey('A', true);
    SendKey('A', false);
    ASSERT_TRUE(input.Frame());
    EXPECT_FALSE(input.IsEscapePressed());

    SendKey(VK_ESCAPE, true);
    EXPECT_TRUE(FramesUntil([&] { return input.IsEscapePressed(); }));
    SendKey(VK_ESCAPE, false);
    EXPECT_TRUE(FramesUntil([&] { return !input.IsEscapePressed(); }));
}

TEST_F(InputTest, MousePositionIsClampedToTheScreenInclusive)
{
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 100, 80));

    MoveMouse(300, 300);
    EXPECT_TRUE(FramesUntil([&] { return MouseAt(100, 80); }));
    MoveMouse(-2000, -2000);
    EXPECT_TRUE(FramesUntil([&] { return MouseAt(0, 0); }));
    // What went past the edge is not remembered.
    MoveMouse(30, 20);
    EXPECT_TRUE(FramesUntil([&] { return MouseAt(30, 20); }));
    int x = 0;
    int y = 0;
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 20);
}

// In the background the devices are taken away: reads fail as lost or not
// acquired, frames go on, and the next frames in the foreground take them back.
TEST_F(InputTest, LosingTheForegroundKeepsFramesGoingAndInputResumes)
{
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
    ASSERT_TRUE(input.Frame());

    TestWindow other(200, 200);
    SetForegroundWindow(other.Handle());
    TestWindow::PumpMessages();
    SendKey(VK_ESCAPE, true);
    EXPECT_TRUE(RunFrames(20));
    EXPECT_FALSE(input.IsEscapePressed());
    SendKey(VK_ESCAPE, false);

    SetForegroundWindow(window.Handle());
    TestWindow::PumpMessages();
    // Keys pressed before the devices are taken back are not seen.
    RunFrames(10);
    SendKey(VK_ESCAPE, true);
    EXPECT_TRUE(FramesUntil([&] { return input.IsEscapePressed(); }));
    SendKey(VK_ESCAPE, false);
}

TEST_F(InputTest, InitializeFailsWhenTheWindowIsInTheBackground)
{
    TestWindow other(200, 200);
    SetForegroundWindow(other.Handle());
    TestWindow::PumpMessages();

    EXPECT_FALSE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
    input.Shutdown();
    input.Shutdown();
}

// How a read state is interpreted, with states no real device hands out.
class InputStateAccess
{
public:
    static void SetScreen(Input& input, int width, int height)
    {
        input.mouseLimitX = width;
        input.mouseLimitY = height;
    }
    static void SetKey(Input& input, int key, unsigned char value) { input.keyboardState[key] = value; }
    static void Move(Input& input, LONG x, LONG y)
    {
        input.mouseState.lX = x;
        input.mouseState.lY = y;
        input.UpdateMousePosition();
    }
};

TEST(InputState, EscapeIsBitSevenOfByteOne)
{
    Input input;
    EXPECT_FALSE(input.IsEscapePressed());
    InputStateAccess::SetKey(input, 1, 0x7F);
    EXPECT_FALSE(input.IsEscapePressed());
    InputStateAccess::SetKey(input, 0, 0x80);
    InputStateAccess::SetKey(input, 2, 0x80);
    EXPECT_FALSE(input.IsEscapePressed());
    InputStateAccess::SetKey(input, 1, 0x80);
    EXPECT_TRUE(input.IsEscapePressed());
    InputStateAccess::SetKey(input, 1, 0xFF);
    EXPECT_TRUE(input.IsEscapePressed());
}

TEST(InputState, MouseStaysWithinZeroAndTheScreenSizeInclusive)
{
    Input input;
    InputStateAccess::SetScreen(input, 1920, 1080);
    int x = -1;
    int y = -1;

    InputStateAccess::Move(input, 5000, 4000);
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 1920);
    EXPECT_EQ(y, 1080);

    InputStateAccess::Move(input, -1, -1);
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 1919);
    EXPECT_EQ(y, 1079);

    InputStateAccess::Move(input, -5000, -4000);
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    // Movement lost below zero is not remembered.
    InputStateAccess::Move(input, 30, 20);
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 20);

    // Extreme reports neither overflow nor wrap.
    InputStateAccess::Move(input, LONG_MAX, LONG_MAX);
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 1920);
    EXPECT_EQ(y, 1080);
    InputStateAccess::Move(input, LONG_MIN, LONG_MIN);
    input.GetMouseLocation(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

namespace
{
const char GetDeviceState[] = "IDirectInputDevice8W::GetDeviceState";
const char Acquire[] = "IDirectInputDevice8W::Acquire";

// The creating calls of a successful set-up, in the order they are made.
const char* const CreatingCalls[] = {
    "DirectInput8Create",
    "IDirectInput8W::CreateDevice",
    "IDirectInputDevice8W::SetDataFormat",
    "IDirectInputDevice8W::SetCooperativeLevel",
    "IDirectInputDevice8W::Acquire",
    "IDirectInput8W::CreateDevice",
    "IDirectInputDevice8W::SetDataFormat",
    "IDirectInputDevice8W::SetCooperativeLevel",
    "IDirectInputDevice8W::Acquire",
};
}

TEST_F(InputTest, CreatingCallsComeInTheirOrder)
{
    FaultInjection::Arm(0);
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
    FaultInjection::Disarm();
    EXPECT_EQ(FaultInjection::Calls(), std::vector<std::string>(std::begin(CreatingCalls), std::end(CreatingCalls)));
}

TEST_F(InputTest, EachFailingCreatingCallEndsInitializeAndShutdownReleasesTheRest)
{
    const int callCount = static_cast<int>(std::size(CreatingCalls));
    for (int failAt = 1; failAt <= callCount; ++failAt)
    {
        SCOPED_TRACE(CreatingCalls[failAt - 1]);
        Input failing;
        FaultInjection::Arm(failAt);
        EXPECT_FALSE(failing.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), CreatingCalls[failAt - 1]);
        EXPECT_EQ(FaultInjection::Count(), failAt) << "calls after the failure";

        failing.Shutdown();
        failing.Shutdown();
        for (const auto& root : FaultInjection::ReleaseHeldRoots())
            EXPECT_EQ(root.second, 0u) << root.first << " outlived Shutdown";
    }
}

// A lost or unacquired device is acquired again and the frame goes on with
// the last state read; the last mouse movement is not counted again.
TEST_F(InputTest, LostDevicesAreAcquiredAgainAndTheFrameGoesOn)
{
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));
    ASSERT_TRUE(input.Frame());
    InputStateAccess::SetKey(input, 1, 0x80);
    InputStateAccess::Move(input, 7, 3);

    for (HRESULT lost : {DIERR_INPUTLOST, DIERR_NOTACQUIRED})
    {
        FaultInjection::Arm(0);
        FaultInjection::FailNext(GetDeviceState, lost, 2);
        EXPECT_TRUE(input.Frame());
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::Calls(),
                  (std::vector<std::string>{GetDeviceState, Acquire, GetDeviceState, Acquire}));
        EXPECT_TRUE(input.IsEscapePressed());
        EXPECT_TRUE(MouseAt(7, 3));
    }
}

TEST_F(InputTest, OtherReadFailuresFailTheFrame)
{
    ASSERT_TRUE(input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080));

    for (HRESULT failure : {E_FAIL, DIERR_INVALIDPARAM, E_ACCESSDENIED, E_PENDING})
    {
        FaultInjection::Arm(0);
        FaultInjection::FailNext(GetDeviceState, failure);
        EXPECT_FALSE(input.Frame());
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::Calls(), std::vector<std::string>{GetDeviceState});
    }

    // The mouse read is the second call of a frame.
    FaultInjection::Arm(2);
    EXPECT_FALSE(input.Frame());
    FaultInjection::Disarm();
    EXPECT_EQ(FaultInjection::Calls(), (std::vector<std::string>{GetDeviceState, GetDeviceState}));
    EXPECT_EQ(FaultInjection::FailedCall(), GetDeviceState);

    EXPECT_TRUE(input.Frame());
}
