#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Files the tests write into a folder of the working directory; removed
// again when the object goes.
class TestFiles
{
public:
    TestFiles();
    ~TestFiles();
    TestFiles(const TestFiles&) = delete;
    TestFiles& operator=(const TestFiles&) = delete;

    // Where a file of that name goes; not removed unless written or claimed.
    std::wstring Path(const std::wstring& name) const;
    // The path, to be removed with the others (for files written by others).
    std::wstring Claim(const std::wstring& name);
    std::wstring Write(const std::wstring& name, const std::vector<uint8_t>& bytes);
    std::wstring Write(const std::wstring& name, const std::string& text);

private:
    std::vector<std::wstring> written;
};
