#pragma once

#include <windows.h>

#include <string>

// What engine_probe.dll, loaded into a running Engine, reports through shared
// memory that the test creates under EngineProbeReportName(the program's id).
struct EngineProbeReport
{
    volatile LONG state;        // EngineProbeStarting, then EngineProbeCounting or EngineProbeFailed
    volatile LONG presents;     // IDXGISwapChain::Present calls since counting began
    volatile LONG readsTaken;   // DirectInput device reads that returned a state
    volatile LONG readsLost;    // reads that found the device lost or not acquired
    volatile LONG cursorCalls;  // the program's own ShowCursor calls since the probe came in
    volatile LONG cursorCount;  // the display count the last of them left (>= 0: cursor shown)
};

const LONG EngineProbeStarting = 0;
const LONG EngineProbeCounting = 1;
const LONG EngineProbeFailed = -1;

inline std::wstring EngineProbeReportName(DWORD processId)
{
    return L"Local\\VexeloEngineProbe-" + std::to_wstring(processId);
}
