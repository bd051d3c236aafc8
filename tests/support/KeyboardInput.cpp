#include "KeyboardInput.h"

#include "TestWindow.h"

// DirectInput reads the scan code, window messages the virtual key: both are given.
void KeyboardInput::Send(WORD virtualKey, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(INPUT));
}

void KeyboardInput::Press(const std::vector<WORD>& keys)
{
    for (WORD key : keys)
        Send(key, true);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        Send(*key, false);
    Sleep(50);
}

void KeyboardInput::PressAltWith(wchar_t character)
{
    const SHORT scan = VkKeyScanW(character);
    std::vector<WORD> keys = {VK_MENU};
    if (scan & 0x100)
        keys.push_back(VK_SHIFT);
    keys.push_back(static_cast<WORD>(scan & 0xFF));
    Press(keys);
}

// Pumping answers what the program's shut-down sends the test's own windows.
bool KeyboardInput::HoldUntilExit(WORD virtualKey, ChildProcess& program, DWORD& exitCode, DWORD timeoutMs)
{
    const ULONGLONG pressed = GetTickCount64();
    bool ended = false;
    while (!ended && GetTickCount64() - pressed < timeoutMs)
    {
        Send(virtualKey, true);
        TestWindow::PumpMessages();
        ended = program.WaitForExit(50, exitCode);
    }
    Send(virtualKey, false);
    return ended;
}
