#include "HostileFiles.h"

#include "TempFolder.h"

#include <windows.h>

#include <random>

const wchar_t NonAsciiName[] = L"vexelo-\u00e4\u00f6\u00fc\u00df-\u03a9\u03bb-\u0436-\u65e5\u672c-\U0001F600";

std::string GarbageBytes(size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(byte(generator));
    return bytes;
}

std::string PaddedSource(const std::string& text, size_t size)
{
    static const std::string line = "// padding: a comment line the compiler reads and throws away\r\n\r\n";
    std::string source = text;
    source.reserve(size + line.size());
    while (source.size() < size)
        source += line;
    return source;
}

std::string WarningFlood(size_t lines)
{
    std::string source;
    source.reserve(lines * 3 + 16);
    for (size_t i = 0; i < lines; ++i)
        source += "#x\n";
    return source + "not a shader\n";
}

bool ExtendFileTo(const std::wstring& path, uint64_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool extended = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return extended;
}

FileWriter Unchanged()
{
    return [](const std::wstring& path, const std::string& real) { return TempFolder::WriteBytes(path, real); };
}

FileWriter Content(const std::string& bytes)
{
    return [bytes](const std::wstring& path, const std::string&) { return TempFolder::WriteBytes(path, bytes); };
}

FileWriter Garbage(size_t size, unsigned seed)
{
    return [size, seed](const std::wstring& path, const std::string&) {
        return TempFolder::WriteBytes(path, GarbageBytes(size, seed));
    };
}

FileWriter Flood(size_t lines)
{
    return [lines](const std::wstring& path, const std::string&) {
        return TempFolder::WriteBytes(path, WarningFlood(lines));
    };
}

FileWriter Padded(size_t size)
{
    return [size](const std::wstring& path, const std::string& real) {
        return TempFolder::WriteBytes(path, PaddedSource(real, size));
    };
}

FileWriter ExtendedTo(uint64_t size)
{
    return [size](const std::wstring& path, const std::string&) { return ExtendFileTo(path, size); };
}
