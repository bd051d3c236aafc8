#include "d3dx11.h"

#include <d3dcompiler.h>

#include <memory>
#include <new>
#include <string>

namespace
{
// Larger sources are refused rather than handed to the compiler.
const LONGLONG MaxSourceBytes = 256LL * 1024 * 1024;

struct FileHandle
{
    HANDLE handle;
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

HRESULT OpenFailure()
{
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return D3D11_ERROR_FILE_NOT_FOUND;
    return HRESULT_FROM_WIN32(error);
}

HRESULT ReadWholeFile(LPCWSTR fileName, std::unique_ptr<char[]>& data, SIZE_T& size)
{
    FileHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return OpenFailure();

    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.handle, &fileSize))
        return E_FAIL;
    if (fileSize.QuadPart > MaxSourceBytes)
        return E_OUTOFMEMORY;

    size = static_cast<SIZE_T>(fileSize.QuadPart);
    data.reset(new (std::nothrow) char[size + 1]);
    if (!data)
        return E_OUTOFMEMORY;

    SIZE_T done = 0;
    while (done < size)
    {
        DWORD got = 0;
        if (!ReadFile(file.handle, data.get() + done, static_cast<DWORD>(size - done), &got, nullptr))
            return E_FAIL;
        if (got == 0)
            break;  // the file shrank while we read it
        done += got;
    }
    size = done;
    data[size] = '\0';
    return S_OK;
}

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

    std::unique_ptr<char[]> source;
    SIZE_T size = 0;
    const HRESULT readResult = ReadWholeFile(pSrcFile, source, size);
    if (FAILED(readResult))
        return Finish(readResult, pHResult);

    const std::string sourceName = SourceName(pSrcFile);
    ID3DBlob* code = nullptr;
    ID3DBlob* errors = nullptr;
    const HRESULT result = D3DCompile(source.get(), size, sourceName.c_str(), pDefines, pInclude,
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
