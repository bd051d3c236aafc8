// Shader compilation from a file through the real d3dcompiler.
#include "ComPtr.h"
#include "TempFolder.h"
#include "d3dx11.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const char GoodShader[] =
    "float4 Offset;\n"
    "float4 VShader(float4 position : POSITION) : SV_POSITION\n"
    "{\n"
    "    return position + Offset * SCALE;\n"
    "}\n";

const char BrokenShader[] =
    "float4 VShader(float4 position : POSITION) : SV_POSITION\n"
    "{\n"
    "    return position +;\n"
    "}\n";

const D3D10_SHADER_MACRO Defines[] = {{"SCALE", "2.0"}, {nullptr, nullptr}};

std::string Text(ID3D10Blob* blob)
{
    return std::string(static_cast<const char*>(blob->GetBufferPointer()), blob->GetBufferSize());
}

TEST(CompileFromFile, CompilesAGoodShaderWithDefines)
{
    TempFolder files;
    const std::wstring path = files.Write(L"good.hlsl", std::string(GoodShader));
    ComPtr<ID3D10Blob> code;
    ComPtr<ID3D10Blob> errors;
    HRESULT reported = E_UNEXPECTED;
    const HRESULT result = D3DX11CompileFromFileW(path.c_str(), Defines, nullptr, "VShader", "vs_4_0",
                                                  D3D10_SHADER_ENABLE_STRICTNESS, 0, nullptr, code.Put(),
                                                  errors.Put(), &reported);
    ASSERT_EQ(result, S_OK) << (errors ? Text(errors.Get()) : std::string());
    EXPECT_EQ(reported, S_OK);
    ASSERT_TRUE(code);
    EXPECT_GT(code->GetBufferSize(), 0u);

    // The bytecode makes a vertex shader on the real device.
    ComPtr<ID3D11Device> device;
    ASSERT_HRESULT_SUCCEEDED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                               D3D11_SDK_VERSION, device.Put(), nullptr, nullptr));
    ComPtr<ID3D11VertexShader> shader;
    EXPECT_HRESULT_SUCCEEDED(
        device->CreateVertexShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, shader.Put()));
}

TEST(CompileFromFile, ASyntaxErrorNamesTheFileAndLine)
{
    TempFolder files;
    const std::wstring path = files.Write(L"broken.hlsl", std::string(BrokenShader));
    ComPtr<ID3D10Blob> code;
    ComPtr<ID3D10Blob> errors;
    HRESULT reported = S_OK;
    const HRESULT result = D3DX11CompileFromFileW(path.c_str(), nullptr, nullptr, "VShader", "vs_4_0", 0, 0,
                                                  nullptr, code.Put(), errors.Put(), &reported);
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(reported, result);
    EXPECT_FALSE(code);
    ASSERT_TRUE(errors);
    // "file(line,column)" from Microsoft's compiler, "file:line:column" from Wine's.
    const std::string text = Text(errors.Get());
    EXPECT_TRUE(text.find("broken.hlsl(3,") != std::string::npos || text.find("broken.hlsl:3:") != std::string::npos)
        << text;
}

TEST(CompileFromFile, AMissingFileFailsWithNoBlobs)
{
    TempFolder files;
    ComPtr<ID3D10Blob> code;
    ComPtr<ID3D10Blob> errors;
    HRESULT reported = S_OK;
    const HRESULT result =
        D3DX11CompileFromFileW(files.Path(L"absent.hlsl").c_str(), nullptr, nullptr, "VShader", "vs_4_0", 0, 0,
                               nullptr, code.Put(), errors.Put(), &reported);
    EXPECT_EQ(result, D3D11_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reported, result);
    EXPECT_FALSE(code);
    EXPECT_FALSE(errors);
}

TEST(CompileFromFile, RefusesAThreadPumpAndANullName)
{
    TempFolder files;
    const std::wstring path = files.Write(L"good.hlsl", std::string(GoodShader));
    ComPtr<ID3D10Blob> code;
    ID3DX11ThreadPump* pump = reinterpret_cast<ID3DX11ThreadPump*>(&files);  // never called
    EXPECT_TRUE(FAILED(D3DX11CompileFromFileW(path.c_str(), Defines, nullptr, "VShader", "vs_4_0", 0, 0, pump,
                                              code.Put(), nullptr, nullptr)));
    EXPECT_FALSE(code);
    EXPECT_TRUE(FAILED(D3DX11CompileFromFileW(nullptr, nullptr, nullptr, "VShader", "vs_4_0", 0, 0, nullptr,
                                              code.Put(), nullptr, nullptr)));
    EXPECT_FALSE(code);
}
}
