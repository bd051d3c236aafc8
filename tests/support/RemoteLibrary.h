#pragma once

#include <windows.h>

#include <string>

// Loads a DLL into another process of the session, so a probe can watch the
// real program from inside without the program knowing.
class RemoteLibrary
{
public:
    // True once LoadLibraryW returned a module in the target process.
    static bool Load(HANDLE process, const std::wstring& libraryPath, DWORD timeoutMs = 15000);
    // The full path of a file in the folder of the program that asks (the test's).
    static std::wstring BesideThisProgram(const wchar_t* fileName);
};
