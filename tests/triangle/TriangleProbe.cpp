// A test-only DLL loaded into the running program: counts the frames it
// presents and reads its live menu, without changing what it does. Present is
// swapped in the swap-chain vtable that every swap chain of the process shares.
#include "ProbeReport.h"
#include "PresentPatch.h"
#include "VtablePatch.h"

#include <d3d11.h>

#include <string>

namespace
{
const wchar_t ProgramClass[] = L"VEXELO01TRIANGLE";

ProbeReport* report = nullptr;

using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDXGISwapChain*, UINT, UINT);

HRESULT STDMETHODCALLTYPE CountingPresent(IDXGISwapChain* chain, UINT syncInterval, UINT flags)
{
    InterlockedIncrement(&report->presents);
    return reinterpret_cast<PresentFunction>(VtablePatch::Original(chain, PresentPatch::Slot))(chain, syncInterval, flags);
}

ProbeReport* OpenReport()
{
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, ProbeReportName(GetCurrentProcessId()).c_str());
    if (!mapping)
        return nullptr;
    // Stays mapped for the life of the process.
    return static_cast<ProbeReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeReport)));
}

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM found)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (processId != GetCurrentProcessId() || lstrcmpW(className, ProgramClass) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

std::wstring ItemText(HMENU menu, int position)
{
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return text;
}

std::wstring DescribeMenu(HMENU menu)
{
    std::wstring description;
    for (int top = 0; top < GetMenuItemCount(menu); ++top)
    {
        description += ItemText(menu, top) + L"{";
        HMENU popup = GetSubMenu(menu, top);
        for (int item = 0; popup && item < GetMenuItemCount(popup); ++item)
            description += ItemText(popup, item) + L"=" + std::to_wstring(GetMenuItemID(popup, item)) + L";";
        description += L"}";
    }
    return description;
}

void ReadMenu()
{
    HWND window = nullptr;
    EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&window));
    if (!window)
        return;
    const std::wstring description = DescribeMenu(GetMenu(window));
    lstrcpynW(report->menu, description.c_str(), static_cast<int>(sizeof(report->menu) / sizeof(wchar_t)));
    InterlockedExchange(&report->menuRead, 1);
}

DWORD WINAPI StartProbe(void*)
{
    report = OpenReport();
    if (!report)
        return 1;
    ReadMenu();
    const bool hooked = PresentPatch::Install(GetModuleHandleW(nullptr), L"VexeloTriangleProbe",
                                              reinterpret_cast<void*>(&CountingPresent));
    InterlockedExchange(&report->state, hooked ? ProbeCounting : ProbeFailed);
    return 0;
}
}

// Nothing heavy may run under the loader lock, so the work gets its own thread.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    DisableThreadLibraryCalls(instance);
    HANDLE thread = CreateThread(nullptr, 0, StartProbe, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    return TRUE;
}
