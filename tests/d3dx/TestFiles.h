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

    std::wstring Path(const std::wstring& name) const;
    std::wstring Write(const std::wstring& name, const std::vector<uint8_t>& bytes);
    std::wstring Write(const std::wstring& name, const std::string& text);

private:
    std::vector<std::wstring> written;
};
