#include "WholeFile.h"

#include <cstdint>
#include <fstream>
#include <new>

WholeFile::~WholeFile()
{
    Release();
}

bool WholeFile::Load(const char* fileName)
{
    Release();
    if (fileName == nullptr)
        return false;
    std::ifstream file(fileName, std::ios::binary);
    if (!file.seekg(0, std::ios::end))
        return false;
    const std::streamoff length = file.tellg();
    if (length < 0 || static_cast<std::uint64_t>(length) >= SIZE_MAX / 2 || !file.seekg(0, std::ios::beg))
        return false;

    const std::size_t capacity = static_cast<std::size_t>(length);
    char* bytes = new (std::nothrow) char[capacity > 0 ? capacity : 1];
    if (bytes == nullptr)
        return false;
    file.read(bytes, static_cast<std::streamsize>(capacity));
    data = bytes;
    size = static_cast<std::size_t>(file.gcount());
    return true;
}

void WholeFile::Release()
{
    delete[] data;
    data = nullptr;
    size = 0;
}
