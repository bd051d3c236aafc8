#pragma once

#include <windows.h>
#include <d3dcommon.h>

// How both shader pipelines tell the user that a shader file did not compile.
class ShaderErrorReport
{
public:
    // The compiler's text replaces "shader-error.txt" in the working directory,
    // the blob is released, then a box captioned with the shader file says so.
    static void ReportCompileErrors(ID3D10Blob* errorMessage, HWND window, const WCHAR* shaderFileName);

    // The compiler gave no text: the file is missing or unreadable.
    static void ReportMissingFile(HWND window, const WCHAR* shaderFileName);

private:
    static void WriteErrorFile(const char* text, SIZE_T length);
};
