// The whole content of a file, read into memory at once.
#ifndef VEXELO_FILEBYTES_H
#define VEXELO_FILEBYTES_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

class FileBytes
{
public:
    // S_OK; D3D11_ERROR_FILE_NOT_FOUND when the file or its folder is
    // missing; HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE) above maxBytes;
    // E_OUTOFMEMORY; or the failing call's code. The bytes are followed by a
    // zero byte that Size() does not count.
    HRESULT Read(LPCWSTR fileName, uint64_t maxBytes);

    const uint8_t* Data() const { return data.get(); }
    size_t Size() const { return size; }

private:
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
};

#endif
