#pragma once

#include <windows.h>

#include <string>

// What the shader compiler itself says about a file, to compare with what a program reports.
class CompilerText
{
public:
    // Every byte of the error text for the entry point, or empty when it compiles.
    static std::string Of(const wchar_t* file, const char* entry, const char* profile, UINT flags);
    // The text as a text-mode stream writes it out: each line feed as carriage return, line feed.
    static std::string WithPlatformLineEnds(const std::string& text);
};
