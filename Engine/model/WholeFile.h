#pragma once
#include <cstddef>

// A file's bytes, untranslated, all in memory while the object lives.
// On Windows the file is mapped read-only: the bytes are the system's cached
// pages themselves, with no copy and no fresh memory to fault in, which is
// where most of a large read's time went. Elsewhere the bytes are read into
// one new (std::nothrow) array.
class WholeFile
{
public:
    WholeFile() = default;
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Drops what the object held, then loads the file. False, holding nothing,
    // for a missing or unreadable file or when memory runs out.
    bool Load(const char* fileName);

    // Data() may be null when Size() is 0.
    const char* Data() const { return data; }
    std::size_t Size() const { return size; }

private:
    void Release();

    const char* data = nullptr;
    std::size_t size = 0;
};
