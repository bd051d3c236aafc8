#include "KeyboardInput.h"

#include "TestWindow.h"

void SendKey(WORD virtualKey, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(INPUT));
}

// Pumping answers what the program's shut-down sends the test's own windows.
bool HoldEscapeUntilExit(ChildProcess& program, DWORD& exitCode, DWORD timeoutMs)
{
    const ULONGLONG pressed = GetTickCount64();
    bool ended = false;
    while (!ended && GetTickCount64() - pressed < timeoutMs)
    {
        SendKey(VK_ESCAPE, true);
        TestWindow::PumpMessages();
        ended = program.WaitForExit(50, exitCode);
    }
    SendKey(VK_ESCAPE, false);
    return ended;
}
