#include "ScratchDirectory.h"

#include <cstring>

ScratchDirectory::ScratchDirectory()
{
    wchar_t buffer[MAX_PATH];
    if (GetCurrentDirectoryW(MAX_PATH, buffer) == 0)
        return;
    previous = buffer;
    if (GetTempPathW(MAX_PATH, buffer) == 0)
        return;
    const std::wstring base = std::wstring(buffer) + L"vexelo-triangle-" + std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const std::wstring candidate = base + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr))
        {
            if (SetCurrentDirectoryW(candidate.c_str()))
                path = candidate;
            else
                RemoveDirectoryW(candidate.c_str());
            return;
        }
    }
}

ScratchDirectory::~ScratchDirectory()
{
    if (!previous.empty())
        SetCurrentDirectoryW(previous.c_str());
    if (path.empty())
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((path + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

bool ScratchDirectory::Write(const wchar_t* name, const char* text) const
{
    HANDLE file = CreateFileW((path + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD size = static_cast<DWORD>(std::strlen(text));
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}
