#include "TriangleProgram.h"

namespace
{
const DWORD PollMs = 20;
const DWORD EndTimeoutMs = 10000;

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + L"Vexelo-02-Triangle.exe";
}

struct WindowSearch
{
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    if (owner != search.processId || !IsWindowVisible(window) || lstrcmpW(className, search.className) != 0 ||
        (search.title && lstrcmpW(title, search.title) != 0))
        return TRUE;
    search.found = window;
    return FALSE;
}
}

TriangleProgram::TriangleProgram(const std::wstring& workingDirectory)
{
    const std::wstring path = ProgramPath();
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &startup, &created))
        return;
    CloseHandle(created.hThread);
    process = created.hProcess;
    processId = created.dwProcessId;
}

TriangleProgram::~TriangleProgram()
{
    if (!process)
        return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(process, 255);
        WaitForSingleObject(process, EndTimeoutMs);
    }
    CloseHandle(process);
}

HWND TriangleProgram::WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    WindowSearch search = {processId, className, title, nullptr};
    for (;;)
    {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= end || WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
            return search.found;
        Sleep(PollMs);
    }
}

bool TriangleProgram::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const
{
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process, &exitCode) != 0;
}
