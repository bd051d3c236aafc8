#pragma once

#include "ChildProcess.h"

#include <windows.h>

#include <vector>

// Keys pressed and let go as the user's keyboard would, for the foreground window.
class KeyboardInput
{
public:
    // Presses the keys in order and lets them go in reverse, like fingers do.
    static void Press(const std::vector<WORD>& keys);
    // Alt with a typed character: the key that types it on this layout, with Shift if it needs it.
    static void PressAltWith(wchar_t character);
    // Holds the key (a held key repeats) until the program ends, at most timeoutMs.
    // False if it did not end; exitCode is set when it did.
    static bool HoldUntilExit(WORD virtualKey, ChildProcess& program, DWORD& exitCode, DWORD timeoutMs = 5000);

private:
    static void Send(WORD virtualKey, bool down);
};
