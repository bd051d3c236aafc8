#pragma once

#include <windows.h>

#include <string>

// A fresh temporary directory made the working directory for the object's
// life, for tests that need their own "shaders.shader" (or none).
class ScratchDirectory
{
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    bool Ok() const { return !path.empty(); }
    const std::wstring& Path() const { return path; }

    // Writes a file into the directory; false if it could not.
    bool Write(const wchar_t* name, const char* text) const;

private:
    std::wstring previous;
    std::wstring path;
};
