#include "TestFiles.h"

namespace
{
const wchar_t Folder[] = L"d3dx-test-files";
}

TestFiles::TestFiles()
{
    CreateDirectoryW(Folder, nullptr);
}

TestFiles::~TestFiles()
{
    for (const std::wstring& path : written)
        DeleteFileW(path.c_str());
    RemoveDirectoryW(Folder);  // fails, harmlessly, while other tests still hold files there
}

std::wstring TestFiles::Claim(const std::wstring& name)
{
    written.push_back(Path(name));
    return written.back();
}

std::wstring TestFiles::Path(const std::wstring& name) const
{
    return std::wstring(Folder) + L"\\" + name;
}

std::wstring TestFiles::Write(const std::wstring& name, const std::vector<uint8_t>& bytes)
{
    const std::wstring path = Path(name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
    {
        DWORD done = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
    }
    written.push_back(path);
    return path;
}

std::wstring TestFiles::Write(const std::wstring& name, const std::string& text)
{
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}
