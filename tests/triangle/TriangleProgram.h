#pragma once

#include <windows.h>

#include <string>

// The real Vexelo-02-Triangle.exe (from the test's own folder) started as a
// child process in a chosen working directory. Ended by force if a test leaves
// it running.
class TriangleProgram
{
public:
    explicit TriangleProgram(const std::wstring& workingDirectory);
    ~TriangleProgram();
    TriangleProgram(const TriangleProgram&) = delete;
    TriangleProgram& operator=(const TriangleProgram&) = delete;

    bool Started() const { return process != nullptr; }
    HANDLE Process() const { return process; }
    DWORD ProcessId() const { return processId; }

    // Its visible top-level window of the given class, waited for; null if none came.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const;
    // True when the program ended within the time; its exit code then in exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;

private:
    HANDLE process = nullptr;
    DWORD processId = 0;
};
