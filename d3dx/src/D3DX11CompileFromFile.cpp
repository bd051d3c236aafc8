#include "d3dx11.h"

#include "FileBytes.h"

#include <d3dcompiler.h>

#include <string>

namespace
{
// Larger sources are refused rather than handed to the compiler.
const uint64_t MaxSourceBytes = 256ull * 1024 * 1024;

// The compiler names the file in its messages by this narrow name.
std::string SourceName(LPCWSTR fileName)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, fileName, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string name(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, fileName, -1, &name[0], length, nullptr, nullptr);
    name.resize(static_cast<size_t>(length - 1));
    return name;
}

HRESULT Finish(HRESULT result, HRESULT* pHResult)
{
    if (pHResult)
        *pHResult = result;
    return result;
}
}

HRESULT WINAPI D3DX11CompileFromFileW(LPCWSTR pSrcFile, const D3D10_SHADER_MACRO* pDefines,
                                      LPD3D10INCLUDE pInclude, LPCSTR pFunctionName, LPCSTR pProfile,
                                      UINT Flags1, UINT Flags2, ID3DX11ThreadPump* pPump,
                                      ID3D10Blob** ppShader, ID3D10Blob** ppErrorMsgs, HRESULT* pHResult)
{
    if (ppShader)
        *ppShader = nullptr;
    if (ppErrorMsgs)
        *ppErrorMsgs = nullptr;
    if (pPump)
        return Finish(E_NOTIMPL, pHResult);
    if (!pSrcFile)
        return Finish(E_INVALIDARG, pHResult);

    FileBytes source;
    const HRESULT readResult = source.Read(pSrcFile, MaxSourceBytes);
    if (FAILED(readResult))
        return Finish(readResult, pHResult);

    const std::string sourceName = SourceName(pSrcFile);
    ID3DBlob* code = nullptr;
    ID3DBlob* errors = nullptr;
    const HRESULT result = D3DCompile(source.Data(), source.Size(), sourceName.c_str(), pDefines, pInclude,
                                      pFunctionName, pProfile, Flags1, Flags2, &code, &errors);

    if (ppShader)
        *ppShader = code;
    else if (code)
        code->Release();
    if (ppErrorMsgs)
        *ppErrorMsgs = errors;
    else if (errors)
        errors->Release();
    return Finish(result, pHResult);
}
