#pragma once

#include "EngineProbeReport.h"

#include <windows.h>

#include <functional>

// Loads engine_probe.dll into a running Engine and reads what it reports.
class EngineProbe
{
public:
    // Injects the probe and waits until it counts (or the timeout ends).
    EngineProbe(HANDLE process, DWORD processId, DWORD timeoutMs = 15000);
    ~EngineProbe();
    EngineProbe(const EngineProbe&) = delete;
    EngineProbe& operator=(const EngineProbe&) = delete;

    bool Counting() const { return report && report->state == EngineProbeCounting; }
    LONG Presents() const { return report ? report->presents : 0; }
    LONG ReadsTaken() const { return report ? report->readsTaken : 0; }
    LONG ReadsLost() const { return report ? report->readsLost : 0; }
    LONG CursorCalls() const { return report ? report->cursorCalls : 0; }
    LONG CursorCount() const { return report ? report->cursorCount : 0; }

    // Polls until the condition holds; false if it did not within the time.
    static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

private:

    HANDLE mapping = nullptr;
    EngineProbeReport* report = nullptr;
};
