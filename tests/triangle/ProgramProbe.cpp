#include "ProgramProbe.h"

#include "RemoteLibrary.h"

namespace
{
const DWORD PollMs = 10;
}

ProgramProbe::ProgramProbe(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeReport),
                                 ProbeReportName(processId).c_str());
    if (!mapping)
        return;
    report = static_cast<ProbeReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeReport)));
    if (report && RemoteLibrary::Load(process, RemoteLibrary::BesideThisProgram(L"triangle_probe.dll")))
        WaitForState(timeoutMs);
}

ProgramProbe::~ProgramProbe()
{
    if (report)
        UnmapViewOfFile(report);
    if (mapping)
        CloseHandle(mapping);
}

std::wstring ProgramProbe::Menu() const
{
    if (!report || !report->menuRead)
        return std::wstring();
    return std::wstring(report->menu);
}

bool ProgramProbe::WaitForPresents(LONG count, DWORD timeoutMs) const
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (Presents() < count)
    {
        if (GetTickCount64() >= end)
            return false;
        Sleep(PollMs);
    }
    return true;
}

bool ProgramProbe::WaitForState(DWORD timeoutMs) const
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (report->state == ProbeStarting)
    {
        if (GetTickCount64() >= end)
            return false;
        Sleep(PollMs);
    }
    return report->state == ProbeCounting;
}
