#pragma once

#include <windows.h>

#include <string>

// What the probe inside the running program reports, through shared memory
// that the test creates under ProbeReportName(program's process id).
struct ProbeReport
{
    volatile LONG state;     // ProbeStarting, then ProbeCounting or ProbeFailed
    volatile LONG presents;  // IDXGISwapChain::Present calls since counting began
    volatile LONG menuRead;  // 1 once menu holds the main window's menu
    wchar_t menu[256];       // "&File{E&xit=105;}&Help{&About ...=104;}"
};

const LONG ProbeStarting = 0;
const LONG ProbeCounting = 1;
const LONG ProbeFailed = -1;

inline std::wstring ProbeReportName(DWORD processId)
{
    return L"Local\\VexeloTriangleProbe-" + std::to_wstring(processId);
}
