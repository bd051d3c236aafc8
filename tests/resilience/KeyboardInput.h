#pragma once

#include "ChildProcess.h"

#include <windows.h>

// A key pressed or let go as the user's keyboard would, for the foreground window.
void SendKey(WORD virtualKey, bool down);

// Holds Escape (a held key repeats) until the program ends, at most timeoutMs.
// False if it did not end; exitCode is set when it did.
bool HoldEscapeUntilExit(ChildProcess& program, DWORD& exitCode, DWORD timeoutMs = 5000);
