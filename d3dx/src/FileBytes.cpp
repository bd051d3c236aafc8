#include "FileBytes.h"

#include <d3d11.h>

#include <new>

namespace
{
class FileHandle
{
public:
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE handle;
};

HRESULT OpenFailure()
{
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return D3D11_ERROR_FILE_NOT_FOUND;
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}
}

HRESULT FileBytes::Read(LPCWSTR fileName, uint64_t maxBytes)
{
    data.reset();
    size = 0;
    FileHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return OpenFailure();

    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.handle, &fileSize))
        return E_FAIL;
    if (fileSize.QuadPart < 0 || static_cast<uint64_t>(fileSize.QuadPart) > maxBytes ||
        static_cast<uint64_t>(fileSize.QuadPart) >= SIZE_MAX)
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);

    const size_t expected = static_cast<size_t>(fileSize.QuadPart);
    data.reset(new (std::nothrow) uint8_t[expected + 1]);
    if (!data)
        return E_OUTOFMEMORY;

    size_t done = 0;
    while (done < expected)
    {
        const size_t left = expected - done;
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(file.handle, data.get() + done, chunk, &got, nullptr))
        {
            data.reset();
            return E_FAIL;
        }
        if (got == 0)
            break;  // the file shrank while we read it
        done += got;
    }
    size = done;
    data[size] = 0;
    return S_OK;
}
