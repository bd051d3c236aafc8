#include "WholeFile.h"

#include <windows.h>

#include <cstdint>

WholeFile::~WholeFile()
{
    Release();
}

// The name is taken in the ANSI code page, as the C runtime's fopen takes it.
// Sharing as fopen does, the file may be open for writing elsewhere; while the
// view exists the system refuses to shorten it.
bool WholeFile::Load(const char* fileName)
{
    Release();
    if (fileName == nullptr)
        return false;
    const HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length{};
    bool loaded = GetFileSizeEx(file, &length) != FALSE && length.QuadPart >= 0 &&
                  static_cast<std::uint64_t>(length.QuadPart) < SIZE_MAX / 2;
    if (loaded && length.QuadPart > 0)
    {
        // An empty file cannot be mapped; it simply holds nothing. The section
        // is the size just read: a file shortened since fails here, one grown
        // since is read up to that size.
        const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, static_cast<DWORD>(length.HighPart),
                                                  length.LowPart, nullptr);
        const void* view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (mapping != nullptr)
            CloseHandle(mapping); // the view keeps the section alive
        data = static_cast<const char*>(view);
        size = view != nullptr ? static_cast<std::size_t>(length.QuadPart) : 0;
        loaded = view != nullptr;
    }
    CloseHandle(file);
    return loaded;
}

void WholeFile::Release()
{
    if (data != nullptr)
        UnmapViewOfFile(data);
    data = nullptr;
    size = 0;
}
