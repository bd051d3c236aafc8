#pragma once

#include "ProbeReport.h"

#include <windows.h>

#include <string>

// Loads triangle_probe.dll into a running program and reads what it reports:
// how many frames the program presented, and its live menu.
class ProgramProbe
{
public:
    // Injects the probe and waits until it counts presents (or the timeout ends).
    ProgramProbe(HANDLE process, DWORD processId, DWORD timeoutMs = 15000);
    ~ProgramProbe();
    ProgramProbe(const ProgramProbe&) = delete;
    ProgramProbe& operator=(const ProgramProbe&) = delete;

    bool Counting() const { return report && report->state == ProbeCounting; }
    LONG Presents() const { return report ? report->presents : 0; }
    std::wstring Menu() const;

    // True once Presents() reaches count, false if it did not within the time.
    bool WaitForPresents(LONG count, DWORD timeoutMs) const;

private:
    bool WaitForState(DWORD timeoutMs) const;

    HANDLE mapping = nullptr;
    ProbeReport* report = nullptr;
};
