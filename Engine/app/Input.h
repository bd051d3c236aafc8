#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <dinput.h>

// Polls the keyboard and the mouse through DirectInput 8 once per frame and
// turns the relative mouse movement into a position clamped to the screen.
class Input
{
public:
    Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input();

    bool Initialize(HINSTANCE instance, HWND window, int screenWidth, int screenHeight);
    void Shutdown();

    // False only when a device read fails for a reason other than losing the device.
    bool Frame();
    bool IsEscapePressed();
    void GetMouseLocation(int& x, int& y);

private:
    // Tests put a read state in place to check how it is interpreted.
    friend class InputStateAccess;

    bool PollKeyboard();
    bool PollMouse();
    void UpdateMousePosition();

    IDirectInput8W* directInput;
    IDirectInputDevice8W* keyboard;
    IDirectInputDevice8W* mouse;
    unsigned char keyboardState[256];
    DIMOUSESTATE mouseState;
    int mouseLimitX;
    int mouseLimitY;
    int mouseX;
    int mouseY;
};
