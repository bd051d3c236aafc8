#pragma once

#include <windows.h>

#include <string>

// What the probe library inside a program reports, through shared memory that the test
// creates under ProbeReportName(the program's process id) before the probe comes in. Only the
// program's own thread writes it; the test reads it at any time.
struct ProbeReport
{
    volatile LONG state;          // ProbeStarting, then ProbeReady or ProbeFailed
    volatile LONG presents;       // IDXGISwapChain::Present calls
    volatile LONG syncIntervals;  // bit n set once a present asked for sync interval n (30: 30 or more)
    volatile LONG presentFlags;   // the flags of every present, or-ed
    volatile LONG readsTaken;     // DirectInput device reads that returned a state
    volatile LONG readsLost;      // reads that found the device lost or not acquired
    volatile LONG cursorCalls;    // the program's own ShowCursor calls
    volatile LONG cursorCount;    // the display count the last of them left (>= 0: cursor shown)
    volatile LONG menuRead;       // 1 once menu holds the menu of the swap chain's window
    wchar_t menu[256];            // "&File{E&xit=105;}&Help{&About ...=104;}"
};

const LONG ProbeStarting = 0;
const LONG ProbeReady = 1;
const LONG ProbeFailed = -1;

inline std::wstring ProbeReportName(DWORD processId)
{
    return L"Local\\VexeloProgramProbe-" + std::to_wstring(processId);
}
