#include "NonAsciiTempFolder.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

// Latin with diacritics, Greek, Cyrillic, CJK and a character beyond the
// basic plane (a surrogate pair in UTF-16).
const wchar_t NonAsciiTempFolder::Name[] =
    L"vexelo-\u00e4\u00f6\u00fc\u00df-\u03a9\u03bb-\u0436-\u65e5\u672c-\U0001F600";

namespace
{
std::wstring Variable(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(value) : std::wstring();
}

void Restore(const wchar_t* name, const std::wstring& value)
{
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}
}

NonAsciiTempFolder::NonAsciiTempFolder()
{
    wchar_t temp[MAX_PATH] = {};
    if (GetTempPathW(MAX_PATH, temp) == 0)
        return;
    const std::wstring candidate = std::wstring(temp) + Name + L"-" + std::to_wstring(GetCurrentProcessId());
    std::error_code error;
    std::filesystem::remove_all(candidate, error);
    if (!CreateDirectoryW(candidate.c_str(), nullptr))
        return;
    previousTmp = Variable(L"TMP");
    previousTemp = Variable(L"TEMP");
    SetEnvironmentVariableW(L"TMP", candidate.c_str());
    SetEnvironmentVariableW(L"TEMP", candidate.c_str());
    path = candidate;
}

NonAsciiTempFolder::~NonAsciiTempFolder()
{
    if (path.empty())
        return;
    Restore(L"TMP", previousTmp);
    Restore(L"TEMP", previousTemp);
    std::error_code error;
    std::filesystem::remove_all(path, error);
}
