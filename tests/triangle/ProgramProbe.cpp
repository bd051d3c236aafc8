#include "ProgramProbe.h"

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

LPTHREAD_START_ROUTINE LoadLibraryRoutine()
{
    // kernel32 sits at the same address in every process of the session.
    FARPROC routine = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(routine));
}
}

ProgramProbe::ProgramProbe(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeReport),
                                 ProbeReportName(processId).c_str());
    if (!mapping)
        return;
    report = static_cast<ProbeReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeReport)));
    if (report && Inject(process))
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

bool ProgramProbe::Inject(HANDLE process) const
{
    const std::wstring library = ProbeLibraryPath();
    const SIZE_T bytes = (library.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return false;
    bool loaded = false;
    if (WriteProcessMemory(process, remote, library.c_str(), bytes, nullptr))
    {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, LoadLibraryRoutine(), remote, 0, nullptr);
        if (thread)
        {
            DWORD module = 0;
            loaded = WaitForSingleObject(thread, 15000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &module) &&
                     module != 0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return loaded;
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
