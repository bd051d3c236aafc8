#include "CompilerText.h"

#include "ComPtr.h"

#include <d3dx11.h>

std::string CompilerText::Of(const wchar_t* file, const char* entry, const char* profile, UINT flags)
{
    ComPtr<ID3D10Blob> code;
    ComPtr<ID3D10Blob> errors;
    D3DX11CompileFromFileW(file, nullptr, nullptr, entry, profile, flags, 0, nullptr, code.Put(), errors.Put(),
                           nullptr);
    if (!errors)
        return std::string();
    return std::string(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
}

std::string CompilerText::WithPlatformLineEnds(const std::string& text)
{
    std::string converted;
    converted.reserve(text.size() * 2);
    for (char c : text)
    {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}
