#include "EngineProbe.h"

#include <string>

namespace
{
const DWORD PollMs = 10;

std::wstring ProbeLibraryPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + L"engine_probe.dll";
}

LPTHREAD_START_ROUTINE LoadLibraryRoutine()
{
    // kernel32 sits at the same address in every process of the session.
    FARPROC routine = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(routine));
}
}

EngineProbe::EngineProbe(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(EngineProbeReport),
                                 EngineProbeReportName(processId).c_str());
    if (!mapping)
        return;
    report = static_cast<EngineProbeReport*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(EngineProbeReport)));
    if (report && Inject(process))
        WaitUntil([this] { return report->state != EngineProbeStarting; }, timeoutMs);
}

EngineProbe::~EngineProbe()
{
    if (report)
        UnmapViewOfFile(report);
    if (mapping)
        CloseHandle(mapping);
}

bool EngineProbe::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition())
    {
        if (GetTickCount64() >= end)
            return false;
        Sleep(PollMs);
    }
    return true;
}

bool EngineProbe::Inject(HANDLE process) const
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
