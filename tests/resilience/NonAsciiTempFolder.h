#pragma once

#include <string>

// A fresh folder whose name is not ASCII, made the temporary folder of this
// process (TMP and TEMP) while the object lives, so that helpers which lay out
// their files under the temporary folder do it under a non-ASCII path.
class NonAsciiTempFolder
{
public:
    static const wchar_t Name[];

    NonAsciiTempFolder();
    ~NonAsciiTempFolder();
    NonAsciiTempFolder(const NonAsciiTempFolder&) = delete;
    NonAsciiTempFolder& operator=(const NonAsciiTempFolder&) = delete;

    bool Ok() const { return !path.empty(); }
    const std::wstring& Path() const { return path; }

private:
    std::wstring previousTmp;
    std::wstring previousTemp;
    std::wstring path;
};
