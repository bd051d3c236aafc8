#include "ProgramProbe.h"

namespace
{
const DWORD LoadTimeoutMs = 30000;
const DWORD PollMs = 10;

std::wstring ProbePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + L"program_probe.dll";
}

LPTHREAD_START_ROUTINE LoadLibraryRoutine()
{
    // kernel32 sits at the same address in every process of the session.
    FARPROC routine = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(routine));
}
}

ProgramProbe::~ProgramProbe()
{
    Close();
}

bool ProgramProbe::Start(ChildProcess& program, const std::wstring& exePath, const std::wstring& workingDirectory,
                         const std::vector<std::wstring>& environment)
{
    Close();
    if (!program.StartSuspended(exePath, workingDirectory, environment))
        return false;
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeReport),
                                 ProbeReportName(program.Id()).c_str());
    if (mapping)
        report = static_cast<ProbeReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeReport)));
    if (report)
        ZeroMemory(report, sizeof(ProbeReport));
    // The probe hooks the imports in its DllMain, so it is ready once LoadLibraryW returned.
    if (report && Load(program.Handle()) && report->state == ProbeReady && program.Resume())
        return true;
    program.Terminate();
    return false;
}

std::wstring ProgramProbe::Menu() const
{
    if (!report || !report->menuRead)
        return std::wstring();
    return std::wstring(report->menu);
}

bool ProgramProbe::WaitForPresents(LONG count, DWORD timeoutMs) const
{
    return WaitUntil([this, count] { return Presents() >= count; }, timeoutMs);
}

bool ProgramProbe::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
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

// A thread of the program's own runs LoadLibraryW. The program's first thread has not run yet,
// so this one sets the process up (its imports included) before it loads the probe.
bool ProgramProbe::Load(HANDLE process) const
{
    const std::wstring path = ProbePath();
    const SIZE_T bytes = (path.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return false;
    bool loaded = false;
    if (WriteProcessMemory(process, remote, path.c_str(), bytes, nullptr))
    {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, LoadLibraryRoutine(), remote, 0, nullptr);
        if (thread)
        {
            DWORD module = 0;
            loaded = WaitForSingleObject(thread, LoadTimeoutMs) == WAIT_OBJECT_0 &&
                     GetExitCodeThread(thread, &module) && module != 0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return loaded;
}

void ProgramProbe::Close()
{
    if (report)
        UnmapViewOfFile(report);
    if (mapping)
        CloseHandle(mapping);
    report = nullptr;
    mapping = nullptr;
}
