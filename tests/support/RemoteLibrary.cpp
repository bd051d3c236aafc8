#include "RemoteLibrary.h"

namespace
{
LPTHREAD_START_ROUTINE LoadLibraryRoutine()
{
    // kernel32 sits at the same address in every process of the session.
    FARPROC routine = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(routine));
}
}

bool RemoteLibrary::Load(HANDLE process, const std::wstring& libraryPath, DWORD timeoutMs)
{
    const SIZE_T bytes = (libraryPath.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return false;
    bool loaded = false;
    if (WriteProcessMemory(process, remote, libraryPath.c_str(), bytes, nullptr))
    {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, LoadLibraryRoutine(), remote, 0, nullptr);
        if (thread)
        {
            DWORD module = 0;
            loaded = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &module) &&
                     module != 0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return loaded;
}

std::wstring RemoteLibrary::BesideThisProgram(const wchar_t* fileName)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + fileName;
}
