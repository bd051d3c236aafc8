#include "ShaderErrorReport.h"

#include <fstream>

void ShaderErrorReport::ReportCompileErrors(ID3D10Blob* errorMessage, HWND window, const WCHAR* shaderFileName)
{
    WriteErrorFile(static_cast<const char*>(errorMessage->GetBufferPointer()), errorMessage->GetBufferSize());
    errorMessage->Release();
    MessageBoxW(window, L"Error compiling shader.  Check shader-error.txt for message.", shaderFileName, MB_OK);
}

void ShaderErrorReport::ReportMissingFile(HWND window, const WCHAR* shaderFileName)
{
    MessageBoxW(window, shaderFileName, L"Missing Shader File", MB_OK);
}

void ShaderErrorReport::WriteErrorFile(const char* text, SIZE_T length)
{
    // Text mode: the compiler's line feeds become the platform's line ends.
    // If the file cannot be opened the writes do nothing and the box still follows.
    std::ofstream fout("shader-error.txt");
    for (SIZE_T i = 0; i < length; ++i)
        fout.put(text[i]);
    fout.close();
}
