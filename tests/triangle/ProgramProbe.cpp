#include "ProgramProbe.h"

#include "RemoteLibrary.h"

namespace
{
const DWORD PollMs = 10;

std::wstring ProbeLibraryPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + L"triangle_probe.dll";
}
}

ProgramProbe::ProgramProbe(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeReport),
                                 ProbeReportName(processId).c_str());
    if (!mapping)
        return;
    report = static_cast<ProbeReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeReport)));
    if (report && RemoteLibrary::Load(process, ProbeLibraryPath()))
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
