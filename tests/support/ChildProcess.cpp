#include "ChildProcess.h"

namespace
{
const DWORD PollIntervalMs = 20;
const DWORD TerminateWaitMs = 5000;

// Name part of "NAME=value"; entries such as "=C:=C:\dir" keep their leading '='.
std::wstring VariableName(const std::wstring& entry)
{
    const size_t equals = entry.find(L'=', 1);
    return entry.substr(0, equals);
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

struct WindowQuery
{
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

bool Matches(HWND window, const WindowQuery& query)
{
    DWORD owningProcess = 0;
    GetWindowThreadProcessId(window, &owningProcess);
    if (owningProcess != query.processId || !IsWindowVisible(window))
        return false;
    wchar_t text[256];
    if (query.className && (!GetClassNameW(window, text, 256) || lstrcmpiW(text, query.className) != 0))
        return false;
    if (query.title)
    {
        text[0] = L'\0';
        GetWindowTextW(window, text, 256);
        if (lstrcmpW(text, query.title) != 0)
            return false;
    }
    return true;
}

BOOL CALLBACK FindMatch(HWND window, LPARAM context)
{
    WindowQuery* query = reinterpret_cast<WindowQuery*>(context);
    if (!Matches(window, *query))
        return TRUE;
    query->found = window;
    return FALSE;
}
}

ChildProcess::~ChildProcess()
{
    Terminate();
}

bool ChildProcess::Start(const std::wstring& exePath, const std::wstring& workingDirectory,
                         const std::wstring& arguments, const std::vector<std::wstring>& extraEnvironment)
{
    return Launch(exePath, workingDirectory, arguments, extraEnvironment, 0);
}

bool ChildProcess::StartSuspended(const std::wstring& exePath, const std::wstring& workingDirectory,
                                  const std::vector<std::wstring>& extraEnvironment)
{
    return Launch(exePath, workingDirectory, L"", extraEnvironment, CREATE_SUSPENDED);
}

bool ChildProcess::Resume()
{
    return mainThread && ResumeThread(mainThread) != static_cast<DWORD>(-1);
}

bool ChildProcess::Launch(const std::wstring& exePath, const std::wstring& workingDirectory,
                          const std::wstring& arguments, const std::vector<std::wstring>& extraEnvironment,
                          DWORD flags)
{
    Terminate();
    const std::wstring exe = FullPath(exePath);
    const std::wstring directory = workingDirectory.empty() ? std::wstring() : FullPath(workingDirectory);
    if (exe.empty() || (!workingDirectory.empty() && directory.empty()))
        return false;

    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> environment = EnvironmentBlock(extraEnvironment);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION information = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT | flags,
                        environment.data(), directory.empty() ? nullptr : directory.c_str(), &startup,
                        &information))
        return false;
    mainThread = information.hThread;
    process = information.hProcess;
    id = information.dwProcessId;
    return true;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode)
{
    if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process, &exitCode) != FALSE;
}

HWND ChildProcess::WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs)
{
    if (!process)
        return nullptr;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        const HWND window = FindWindowOfProcess(className, title);
        if (window)
            return window;
        // A process that ended opens no more windows.
        if (WaitForSingleObject(process, PollIntervalMs) == WAIT_OBJECT_0 || GetTickCount64() >= deadline)
            return FindWindowOfProcess(className, title);
    }
}

void ChildProcess::Terminate()
{
    if (process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(process, TerminatedExitCode);
        WaitForSingleObject(process, TerminateWaitMs);
    }
    Close();
}

void ChildProcess::Close()
{
    if (mainThread)
        CloseHandle(mainThread);
    if (process)
        CloseHandle(process);
    mainThread = nullptr;
    process = nullptr;
    id = 0;
}

std::wstring ChildProcess::FullPath(const std::wstring& path)
{
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return std::wstring();
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length)
        return std::wstring();
    full.resize(written);
    return full;
}

std::vector<wchar_t> ChildProcess::EnvironmentBlock(const std::vector<std::wstring>& extraEnvironment)
{
    std::vector<std::wstring> entries;
    if (wchar_t* inherited = GetEnvironmentStringsW())
    {
        for (const wchar_t* entry = inherited; *entry; entry += lstrlenW(entry) + 1)
            entries.emplace_back(entry);
        FreeEnvironmentStringsW(inherited);
    }
    for (const std::wstring& extra : extraEnvironment)
    {
        const std::wstring name = VariableName(extra);
        bool replaced = false;
        for (std::wstring& entry : entries)
        {
            if (SameName(VariableName(entry), name))
            {
                entry = extra;
                replaced = true;
            }
        }
        if (!replaced)
            entries.push_back(extra);
    }

    std::vector<wchar_t> block;
    for (const std::wstring& entry : entries)
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back(L'\0');
    if (entries.empty())
        block.push_back(L'\0');
    return block;
}

HWND ChildProcess::FindWindowOfProcess(const wchar_t* className, const wchar_t* title) const
{
    WindowQuery query = {id, className, title, nullptr};
    EnumWindows(&FindMatch, reinterpret_cast<LPARAM>(&query));
    return query.found;
}
