// The DirectInput reader on the real devices, with faults injected into the reads.
#include "Input.h"

#include "FailureSweep.h"
#include "FaultInjection.h"
#include "HeldRootsTest.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

// How a read state is interpreted, with states no real device hands out.
class InputStateAccess
{
public:
    static void SetKey(Input& input, int key, unsigned char value) { input.keyboardState[key] = value; }
    static void Move(Input& input, LONG x, LONG y)
    {
        input.mouseState.lX = x;
        input.mouseState.lY = y;
        input.UpdateMousePosition();
    }
};

namespace
{
const char GetDeviceState[] = "IDirectInputDevice8W::GetDeviceState";
const char Acquire[] = "IDirectInputDevice8W::Acquire";

bool MouseAt(Input& input, int x, int y)
{
    int mouseX = -1;
    int mouseY = -1;
    input.GetMouseLocation(mouseX, mouseY);
    return mouseX == x && mouseY == y;
}

// Devices hold their DirectInput object, so it dies with the last reference
// only when everything was released: each test ends with that check.
class InputTest : public HeldRootsTest
{
protected:
    void SetUp() override
    {
        HeldRootsTest::SetUp();
        SetForegroundWindow(window.Handle());
        TestWindow::PumpMessages();
    }
    void TearDown() override
    {
        input.Shutdown();
        FaultInjection::FailNext(GetDeviceState, S_OK, 0);
        HeldRootsTest::TearDown();
    }

    bool Initialize() { return input.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080); }

    TestWindow window{320, 240};
    Input input;
};
}

TEST_F(InputTest, StartsAtTheOriginAndFailsInTheBackground)
{
    ASSERT_TRUE(Initialize());
    ASSERT_TRUE(input.Frame());
    EXPECT_TRUE(MouseAt(input, 0, 0));
    input.Shutdown();

    TestWindow other(200, 200);
    SetForegroundWindow(other.Handle());
    TestWindow::PumpMessages();
    EXPECT_FALSE(Initialize());
}

// Each creating call failing in turn ends Initialize at once.
TEST_F(InputTest, EachFailingCreatingCallEndsInitializeAndShutdownReleasesTheRest)
{
    FailureSweep sweep([this] {
        Input failing;
        const bool initialized = failing.Initialize(GetModuleHandleW(nullptr), window.Handle(), 1920, 1080);
        failing.Shutdown();
        failing.Shutdown();
        return initialized;
    });
    EXPECT_EQ(sweep.Clean().roots, 1u) << "a DirectInput object";
    sweep.FailEach([](int k, const FailureSweep::Run& run) { EXPECT_EQ(run.calls, k) << "calls after the failure"; });
}

// A lost or unacquired device is acquired again and the frame goes on with
// the last state read; the last mouse movement is not counted again.
TEST_F(InputTest, LostDevicesAreAcquiredAgainAndTheFrameGoesOn)
{
    ASSERT_TRUE(Initialize());
    ASSERT_TRUE(input.Frame());
    InputStateAccess::SetKey(input, 1, 0x80);
    InputStateAccess::Move(input, 7, 3);

    for (HRESULT lost : {DIERR_INPUTLOST, DIERR_NOTACQUIRED})
    {
        FaultInjection::Arm(0);
        FaultInjection::FailNext(GetDeviceState, lost, 2);
        EXPECT_TRUE(input.Frame());
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::Calls(), (std::vector<std::string>{GetDeviceState, Acquire, GetDeviceState, Acquire}));
        EXPECT_TRUE(input.IsEscapePressed());
        EXPECT_TRUE(MouseAt(input, 7, 3));
    }
}

TEST_F(InputTest, OtherReadFailuresFailTheFrame)
{
    ASSERT_TRUE(Initialize());
    for (HRESULT failure : {E_FAIL, DIERR_INVALIDPARAM, E_ACCESSDENIED})
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
    EXPECT_TRUE(input.Frame());
}

TEST(InputState, EscapeIsBitSevenOfByteOne)
{
    Input input;
    EXPECT_FALSE(input.IsEscapePressed());
    InputStateAccess::SetKey(input, 1, 0x7F);
    InputStateAccess::SetKey(input, 0, 0x80);
    InputStateAccess::SetKey(input, 2, 0x80);
    EXPECT_FALSE(input.IsEscapePressed());
    InputStateAccess::SetKey(input, 1, 0x80);
    EXPECT_TRUE(input.IsEscapePressed());
}

TEST_F(InputTest, MouseStaysWithinZeroAndTheScreenSizeInclusive)
{
    ASSERT_TRUE(Initialize());
    InputStateAccess::Move(input, 5000, 4000);
    EXPECT_TRUE(MouseAt(input, 1920, 1080));
    InputStateAccess::Move(input, -1, -1);
    EXPECT_TRUE(MouseAt(input, 1919, 1079));
    InputStateAccess::Move(input, -5000, -4000);
    EXPECT_TRUE(MouseAt(input, 0, 0));
    // Movement lost below zero is not remembered.
    InputStateAccess::Move(input, 30, 20);
    EXPECT_TRUE(MouseAt(input, 30, 20));
    // Extreme reports neither overflow nor wrap.
    InputStateAccess::Move(input, LONG_MAX, LONG_MAX);
    EXPECT_TRUE(MouseAt(input, 1920, 1080));
    InputStateAccess::Move(input, LONG_MIN, LONG_MIN);
    EXPECT_TRUE(MouseAt(input, 0, 0));
}
