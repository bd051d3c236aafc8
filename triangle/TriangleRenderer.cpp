#include "TriangleRenderer.h"

#include "d3dx11.h"

#include <cstring>
#include <string>

static_assert(sizeof(TriangleVertex) == 28, "the input layout expects 28-byte vertices");

const TriangleVertex OurVertices[3] = {
    {0.0f, 0.5f, 0.0f, D3DXCOLOR(1.0f, 0.0f, 0.0f, 1.0f)},
    {0.45f, -0.5f, 0.0f, D3DXCOLOR(0.0f, 1.0f, 0.0f, 1.0f)},
    {-0.45f, -0.5f, 0.0f, D3DXCOLOR(0.0f, 0.0f, 1.0f, 1.0f)},
};

const D3D11_INPUT_ELEMENT_DESC ied[2] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0},
};

IDXGISwapChain* swapChain = nullptr;
ID3D11Device* device = nullptr;
ID3D11DeviceContext* deviceContext = nullptr;
ID3D11RenderTargetView* backBufferTarget = nullptr;
ID3D11InputLayout* inputLayout = nullptr;
ID3D11VertexShader* vertexShader = nullptr;
ID3D11PixelShader* pixelShader = nullptr;
ID3D11Buffer* vertexBuffer = nullptr;

namespace
{
const wchar_t ShaderFile[] = L"shaders.shader";
const UINT SampleCount = 4;
// Fixed at start-up: a resized window stretches the image instead.
const FLOAT ViewportWidth = 500.0f;
const FLOAT ViewportHeight = 400.0f;
const FLOAT ClearColour[4] = {0.0f, 0.2f, 0.4f, 1.0f};

bool started = false;
std::wstring failure;

std::wstring Widen(const char* text, size_t length)
{
    std::wstring wide;
    const int count = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
    if (count <= 0)
        return wide;
    wide.resize(static_cast<size_t>(count));
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), &wide[0], count);
    return wide;
}

std::wstring Widen(const char* text)
{
    return Widen(text, std::strlen(text));
}

std::wstring ErrorCode(HRESULT result)
{
    const wchar_t digits[] = L"0123456789ABCDEF";
    const unsigned long value = static_cast<unsigned long>(result);
    std::wstring code = L" (error 0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        code += digits[(value >> shift) & 0xF];
    return code + L").";
}

bool Fail(const wchar_t* what, HRESULT result)
{
    failure = std::wstring(L"Could not ") + what + ErrorCode(result);
    return false;
}

// A message box is read by a person: the first lines of a long compiler
// report say what is wrong; millions of characters would say nothing.
std::wstring Shortened(const std::wstring& text)
{
    const size_t MaxShown = 2000;
    if (text.size() <= MaxShown)
        return text;
    const size_t lineEnd = text.rfind(L'\n', MaxShown);
    const size_t cut = lineEnd == std::wstring::npos || lineEnd == 0 ? MaxShown : lineEnd;
    return text.substr(0, cut) + L"\n...";
}

// The compiler's own text says best what is wrong with the source.
void DescribeCompileFailure(const char* entry, const char* profile, HRESULT result, ID3D10Blob* errors)
{
    failure = L"Could not compile " + Widen(entry) + L" (" + Widen(profile) + L") from " + ShaderFile;
    if (errors)
    {
        std::wstring text = Widen(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
        while (!text.empty() && (text.back() == L'\0' || text.back() == L'\n' || text.back() == L'\r'))
            text.pop_back();
        failure += L":\n\n" + Shortened(text);
    }
    else if (result == D3D11_ERROR_FILE_NOT_FOUND)
        failure += L": the file was not found.";
    else
        failure += ErrorCode(result);
}

bool CompileShader(const char* entry, const char* profile, ID3D10Blob** code)
{
    ID3D10Blob* errors = nullptr;
    const HRESULT result = D3DX11CompileFromFileW(ShaderFile, nullptr, nullptr, entry, profile, 0, 0, nullptr,
                                                  code, &errors, nullptr);
    const bool compiled = SUCCEEDED(result) && *code;
    if (!compiled)
        DescribeCompileFailure(entry, profile, result, errors);
    if (errors)
        errors->Release();
    return compiled;
}

bool CreateDeviceAndSwapChain(HWND window)
{
    DXGI_SWAP_CHAIN_DESC scd;
    ZeroMemory(&scd, sizeof(scd));
    scd.BufferCount = 1;
    scd.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    scd.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    scd.OutputWindow = window;
    scd.SampleDesc.Count = SampleCount;
    scd.SampleDesc.Quality = 0;
    scd.Windowed = TRUE;

    const HRESULT result = D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                                         D3D11_SDK_VERSION, &scd, &swapChain, &device, nullptr,
                                                         &deviceContext);
    if (FAILED(result))
        return Fail(L"create the Direct3D 11 device and swap chain", result);
    return true;
}

bool BindBackBuffer()
{
    ID3D11Texture2D* pBackBuffer = nullptr;
    HRESULT result = swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&pBackBuffer));
    if (FAILED(result))
        return Fail(L"get the swap chain's back buffer", result);

    result = device->CreateRenderTargetView(pBackBuffer, nullptr, &backBufferTarget);
    pBackBuffer->Release();
    if (FAILED(result))
        return Fail(L"create the back buffer's render target view", result);

    deviceContext->OMSetRenderTargets(1, &backBufferTarget, nullptr);
    return true;
}

void SetViewport()
{
    D3D11_VIEWPORT viewport;
    ZeroMemory(&viewport, sizeof(viewport));
    viewport.TopLeftX = 0.0f;
    viewport.TopLeftY = 0.0f;
    viewport.Width = ViewportWidth;
    viewport.Height = ViewportHeight;
    deviceContext->RSSetViewports(1, &viewport);
}

bool CreateShaderObjects(ID3D10Blob* VS, ID3D10Blob* PS)
{
    HRESULT result = device->CreateVertexShader(VS->GetBufferPointer(), VS->GetBufferSize(), nullptr, &vertexShader);
    if (FAILED(result))
        return Fail(L"create the vertex shader VShader", result);
    result = device->CreatePixelShader(PS->GetBufferPointer(), PS->GetBufferSize(), nullptr, &pixelShader);
    if (FAILED(result))
        return Fail(L"create the pixel shader PShader", result);
    deviceContext->VSSetShader(vertexShader, nullptr, 0);
    deviceContext->PSSetShader(pixelShader, nullptr, 0);

    result = device->CreateInputLayout(ied, 2, VS->GetBufferPointer(), VS->GetBufferSize(), &inputLayout);
    if (FAILED(result))
        return Fail(L"create the input layout from VShader's inputs (POSITION: three floats, COLOR: four)", result);
    deviceContext->IASetInputLayout(inputLayout);
    return true;
}

bool LoadTriangleShaders()
{
    ID3D10Blob* VS = nullptr;
    ID3D10Blob* PS = nullptr;
    const bool loaded = CompileShader("VShader", "vs_4_0", &VS) && CompileShader("PShader", "ps_4_0", &PS) &&
                        CreateShaderObjects(VS, PS);
    if (VS)
        VS->Release();
    if (PS)
        PS->Release();
    return loaded;
}

bool CreateTriangleBuffer()
{
    D3D11_BUFFER_DESC bd;
    ZeroMemory(&bd, sizeof(bd));
    bd.Usage = D3D11_USAGE_DYNAMIC;
    bd.ByteWidth = sizeof(OurVertices);
    bd.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    bd.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    HRESULT result = device->CreateBuffer(&bd, nullptr, &vertexBuffer);
    if (FAILED(result))
        return Fail(L"create the vertex buffer", result);

    D3D11_MAPPED_SUBRESOURCE ms;
    result = deviceContext->Map(vertexBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &ms);
    if (FAILED(result))
        return Fail(L"fill the vertex buffer", result);
    std::memcpy(ms.pData, OurVertices, sizeof(OurVertices));
    deviceContext->Unmap(vertexBuffer, 0);
    return true;
}

template <typename T>
void Release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}
}

bool StartDirect3D(HWND window)
{
    failure.clear();
    if (!CreateDeviceAndSwapChain(window) || !BindBackBuffer())
        return false;
    SetViewport();
    if (!LoadTriangleShaders() || !CreateTriangleBuffer())
        return false;
    started = true;
    return true;
}

void DrawFrame()
{
    if (!started)
        return;
    deviceContext->ClearRenderTargetView(backBufferTarget, ClearColour);
    const UINT stride = sizeof(TriangleVertex);
    const UINT offset = 0;
    deviceContext->IASetVertexBuffers(0, 1, &vertexBuffer, &stride, &offset);
    deviceContext->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    deviceContext->Draw(3, 0);
    swapChain->Present(0, 0);
}

void StopDirect3D()
{
    started = false;
    // A swap chain must not be released in full screen (Alt+Enter gets it there).
    if (swapChain)
        swapChain->SetFullscreenState(FALSE, nullptr);
    Release(inputLayout);
    Release(vertexShader);
    Release(pixelShader);
    Release(vertexBuffer);
    Release(swapChain);
    Release(backBufferTarget);
    Release(device);
    Release(deviceContext);
}

const wchar_t* StartFailure()
{
    return failure.c_str();
}
