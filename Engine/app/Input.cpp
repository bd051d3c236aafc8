#include "Input.h"

#include "ReleaseInterface.h"

namespace
{
enum class ReadOutcome
{
    Read,
    Reacquired,
    Failed
};

// A device taken away (another window came to the foreground) is not an
// error: it is acquired again and the frame goes on with the last state.
ReadOutcome ReadDeviceState(IDirectInputDevice8W* device, DWORD size, void* state)
{
    HRESULT result = device->GetDeviceState(size, state);
    if (SUCCEEDED(result))
        return ReadOutcome::Read;
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED)
    {
        device->Acquire();
        return ReadOutcome::Reacquired;
    }
    return ReadOutcome::Failed;
}

bool SetUpDevice(IDirectInputDevice8W* device, LPCDIDATAFORMAT format, HWND window)
{
    if (FAILED(device->SetDataFormat(format)))
        return false;
    if (FAILED(device->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE)))
        return false;
    return SUCCEEDED(device->Acquire());
}

int ClampToRange(long long position, int limit)
{
    if (position < 0)
        position = 0;
    if (position > limit)
        position = limit;
    return static_cast<int>(position);
}

void ReleaseDevice(IDirectInputDevice8W*& device)
{
    if (device)
        device->Unacquire();
    ReleaseInterface(device);
}
}

// Zeroed state buffers mean "no key down, no movement" should the first
// read only re-acquire a device.
Input::Input()
    : directInput(nullptr), keyboard(nullptr), mouse(nullptr), keyboardState(), mouseState(), mouseLimitX(0),
      mouseLimitY(0), mouseX(0), mouseY(0)
{
}

Input::~Input() = default;

bool Input::Initialize(HINSTANCE instance, HWND window, int screenWidth, int screenHeight)
{
    mouseLimitX = screenWidth;
    mouseLimitY = screenHeight;
    mouseX = 0;
    mouseY = 0;

    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                  reinterpret_cast<void**>(&directInput), nullptr)))
        return false;

    if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr)))
        return false;
    if (!SetUpDevice(keyboard, &c_dfDIKeyboard, window))
        return false;

    if (FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr)))
        return false;
    return SetUpDevice(mouse, &c_dfDIMouse, window);
}

void Input::Shutdown()
{
    ReleaseDevice(mouse);
    ReleaseDevice(keyboard);
    ReleaseInterface(directInput);
}

bool Input::Frame()
{
    if (!PollKeyboard())
        return false;
    if (!PollMouse())
        return false;
    UpdateMousePosition();
    return true;
}

bool Input::PollKeyboard()
{
    return ReadDeviceState(keyboard, sizeof(keyboardState), keyboardState) != ReadOutcome::Failed;
}

// The axes are movements since the last read: when nothing was read, nothing
// moved, and the last movement must not be counted again.
bool Input::PollMouse()
{
    ReadOutcome outcome = ReadDeviceState(mouse, sizeof(DIMOUSESTATE), &mouseState);
    if (outcome == ReadOutcome::Reacquired)
    {
        mouseState.lX = 0;
        mouseState.lY = 0;
        mouseState.lZ = 0;
    }
    return outcome != ReadOutcome::Failed;
}

// Movement past an edge is dropped, not remembered. The sum is taken wide so
// that no reported movement can overflow the position.
void Input::UpdateMousePosition()
{
    mouseX = ClampToRange(static_cast<long long>(mouseX) + mouseState.lX, mouseLimitX);
    mouseY = ClampToRange(static_cast<long long>(mouseY) + mouseState.lY, mouseLimitY);
}

bool Input::IsEscapePressed()
{
    return (keyboardState[DIK_ESCAPE] & 0x80) != 0;
}

void Input::GetMouseLocation(int& x, int& y)
{
    x = mouseX;
    y = mouseY;
}
