#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A program started by a test (Engine.exe, the triangle demo, helper programs), ended
// at the latest when this object goes.
class ChildProcess
{
public:
    // Exit code of a process ended by Terminate.
    static constexpr DWORD TerminatedExitCode = 0xDEAD;

    ChildProcess() = default;
    ~ChildProcess();  // terminates the process if still running, closes handles
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts exePath (e.g. L"Engine.exe") with the given working directory (relative paths are
    // relative to the test's own working directory, build/bin; empty = that directory) and
    // command-line arguments; extra environment variables ("NAME=value") are added to the
    // inherited environment, replacing variables of the same name. A process this object
    // still runs is terminated first.
    bool Start(const std::wstring& exePath, const std::wstring& workingDirectory,
               const std::wstring& arguments = L"", const std::vector<std::wstring>& extraEnvironment = {});
    // As Start, with the program's first thread held before it runs anything until Resume.
    bool StartSuspended(const std::wstring& exePath, const std::wstring& workingDirectory,
                        const std::vector<std::wstring>& extraEnvironment = {});
    bool Resume();
    DWORD Id() const { return id; }
    HANDLE Handle() const { return process; }
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);  // false on timeout
    // First visible top-level window of this process matching class and/or title (null = any),
    // polled until timeout or until the process ends; null if none appeared.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs);
    void Terminate();

private:
    bool Launch(const std::wstring& exePath, const std::wstring& workingDirectory, const std::wstring& arguments,
                const std::vector<std::wstring>& extraEnvironment, DWORD flags);
    void Close();
    static std::wstring FullPath(const std::wstring& path);
    static std::vector<wchar_t> EnvironmentBlock(const std::vector<std::wstring>& extraEnvironment);
    HWND FindWindowOfProcess(const wchar_t* className, const wchar_t* title) const;

    HANDLE process = nullptr;
    HANDLE mainThread = nullptr;
    DWORD id = 0;
};
