// Starting and stopping: a failed start names what failed and leaves only what
// it created, and StopDirect3D releases exactly what exists. Calls that cannot fail here on their own are made
// to fail by swapping the method in the shared vtable.
#include "TriangleRenderer.h"

#include "ComPtr.h"
#include "ScratchDirectory.h"
#include "TestDevice.h"
#include "TestWindow.h"
#include "VtableHook.h"

#include "d3dx11.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
bool AllReleased()
{
    return !swapChain && !device && !deviceContext && !backBufferTarget && !inputLayout && !vertexShader &&
           !pixelShader && !vertexBuffer;
}

bool Contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

// What the compiler itself says about the file in the working directory.
std::wstring CompilerText(const char* entry, const char* profile)
{
    ComPtr<ID3D10Blob> code;
    ComPtr<ID3D10Blob> errors;
    D3DX11CompileFromFileW(L"shaders.shader", nullptr, nullptr, entry, profile, 0, 0, nullptr, code.Put(),
                           errors.Put(), nullptr);
    if (!errors)
        return std::wstring();
    std::string text(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return std::wstring(text.begin(), text.end());
}

class TriangleRendererStartStop : public ::testing::Test
{
protected:
    void TearDown() override { StopDirect3D(); }

    // After a failed start: StopDirect3D releases exactly what exists, so the
    // device, which every other object keeps alive, goes with our last reference.
    void ExpectStopReleasesEverything()
    {
        ID3D11Device* held = device;
        if (held)
            held->AddRef();
        StopDirect3D();
        EXPECT_TRUE(AllReleased());
        if (held)
        {
            EXPECT_EQ(held->Release(), 0u) << "something still holds the device";
        }
    }

    TestWindow window{500, 380};
};

TEST_F(TriangleRendererStartStop, WithoutAWindowDeviceAndSwapChainCreationFails)
{
    EXPECT_FALSE(StartDirect3D(nullptr));
    EXPECT_TRUE(Contains(StartFailure(), L"Could not create the Direct3D 11 device and swap chain (error 0x"))
        << StartFailure();
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, MissingShaderFileIsNamed)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.Ok());
    EXPECT_FALSE(StartDirect3D(window.Handle()));
    EXPECT_STREQ(StartFailure(), L"Could not compile VShader (vs_4_0) from shaders.shader: the file was not found.");
    EXPECT_TRUE(device && swapChain && backBufferTarget);
    EXPECT_FALSE(vertexShader);
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, CompileErrorCarriesTheCompilersText)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.Ok());
    ASSERT_TRUE(scratch.Write(L"shaders.shader", "float4 VShader(float3 p : POSITION) : SV_POSITION\n{\n    return p\n}\n"));
    const std::wstring compiler = CompilerText("VShader", "vs_4_0");
    ASSERT_FALSE(compiler.empty());

    EXPECT_FALSE(StartDirect3D(window.Handle()));
    EXPECT_EQ(std::wstring(StartFailure()), L"Could not compile VShader (vs_4_0) from shaders.shader:\n\n" + compiler);
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, MissingPixelShaderEntryIsNamedAfterTheVertexShaderCompiled)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.Ok());
    ASSERT_TRUE(scratch.Write(L"shaders.shader",
                              "float4 VShader(float3 p : POSITION, float4 c : COLOR) : SV_POSITION { return float4(p, 1); }\n"));
    const std::wstring compiler = CompilerText("PShader", "ps_4_0");

    EXPECT_FALSE(StartDirect3D(window.Handle()));
    EXPECT_TRUE(Contains(StartFailure(), L"Could not compile PShader (ps_4_0) from shaders.shader")) << StartFailure();
    if (!compiler.empty())
    {
        EXPECT_TRUE(Contains(StartFailure(), compiler)) << StartFailure();
    }
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, VertexShaderWithOtherInputsFailsTheInputLayout)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.Ok());
    ASSERT_TRUE(scratch.Write(L"shaders.shader",
                              "float4 VShader(float3 p : POSITION, float2 t : TEXCOORD) : SV_POSITION { return float4(p.xy + t, 0, 1); }\n"
                              "float4 PShader() : SV_TARGET { return 1; }\n"));
    EXPECT_FALSE(StartDirect3D(window.Handle()));
    EXPECT_TRUE(Contains(StartFailure(), L"Could not create the input layout")) << StartFailure();
    EXPECT_TRUE(vertexShader && pixelShader);
    EXPECT_FALSE(inputLayout);
    EXPECT_FALSE(vertexBuffer);
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, StopReleasesEveryObjectOfARunningRenderer)
{
    ASSERT_TRUE(StartDirect3D(window.Handle())) << StartFailure();
    DrawFrame();
    ExpectStopReleasesEverything();
}

// Its own suite, run alone: it takes over the shared display for a moment.
class TriangleRendererFullScreen : public TriangleRendererStartStop
{
};

TEST_F(TriangleRendererFullScreen, StopLeavesFullScreenBeforeReleasingTheSwapChain)
{
    ASSERT_TRUE(StartDirect3D(window.Handle())) << StartFailure();
    if (FAILED(swapChain->SetFullscreenState(TRUE, nullptr)))
        GTEST_SKIP() << "no full-screen mode on this display";
    IDXGISwapChain* chain = swapChain;
    chain->AddRef();
    StopDirect3D();
    BOOL fullScreen = TRUE;
    EXPECT_HRESULT_SUCCEEDED(chain->GetFullscreenState(&fullScreen, nullptr));
    EXPECT_FALSE(fullScreen);
    chain->Release();
}

TEST_F(TriangleRendererStartStop, StopIsSafeTwiceAndFramesNeedAStart)
{
    DrawFrame();
    StopDirect3D();
    StopDirect3D();
    EXPECT_TRUE(AllReleased());

    ASSERT_TRUE(StartDirect3D(window.Handle())) << StartFailure();
    StopDirect3D();
    StopDirect3D();
    EXPECT_TRUE(AllReleased());
    DrawFrame();
}

// Injected failures, one creating call at a time.
HRESULT STDMETHODCALLTYPE NoBackBuffer(IDXGISwapChain*, UINT, REFIID, void** surface)
{
    *surface = nullptr;
    return E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE NoTargetView(ID3D11Device*, ID3D11Resource*, const D3D11_RENDER_TARGET_VIEW_DESC*,
                                       ID3D11RenderTargetView** view)
{
    *view = nullptr;
    return E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE NoVertexShader(ID3D11Device*, const void*, SIZE_T, ID3D11ClassLinkage*,
                                         ID3D11VertexShader** shader)
{
    *shader = nullptr;
    return E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE NoPixelShader(ID3D11Device*, const void*, SIZE_T, ID3D11ClassLinkage*,
                                        ID3D11PixelShader** shader)
{
    *shader = nullptr;
    return E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE NoBuffer(ID3D11Device*, const D3D11_BUFFER_DESC*, const D3D11_SUBRESOURCE_DATA*,
                                   ID3D11Buffer** buffer)
{
    *buffer = nullptr;
    return E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE NoMap(ID3D11DeviceContext*, ID3D11Resource*, UINT, D3D11_MAP, UINT,
                                D3D11_MAPPED_SUBRESOURCE*)
{
    return E_OUTOFMEMORY;
}

enum class Interface { SwapChain, Device, Context };

struct InjectedFault
{
    const char* name;
    Interface owner;
    size_t vtableIndex;  // in the interface's vtable, IUnknown's three first
    void* replacement;
    const wchar_t* failure;
};

void PrintTo(const InjectedFault& fault, std::ostream* out)
{
    *out << fault.name;
}

class TriangleRendererInjectedFailure : public TriangleRendererStartStop,
                                        public ::testing::WithParamInterface<InjectedFault>
{
};

TEST_P(TriangleRendererInjectedFailure, IsNamedAndReleased)
{
    const InjectedFault& fault = GetParam();
    TestDevice reference;
    ASSERT_TRUE(reference.Ok());
    void* objects[] = {reference.SwapChain(), reference.Device(), reference.Context()};
    {
        VtableHook hook(objects[static_cast<int>(fault.owner)], fault.vtableIndex, fault.replacement);
        ASSERT_TRUE(hook.Ok());
        EXPECT_FALSE(StartDirect3D(window.Handle()));
    }
    EXPECT_EQ(std::wstring(StartFailure()), std::wstring(L"Could not ") + fault.failure + L" (error 0x8007000E).");
    ExpectStopReleasesEverything();
}

const InjectedFault Faults[] = {
    {"GetBuffer", Interface::SwapChain, 9, reinterpret_cast<void*>(&NoBackBuffer),
     L"get the swap chain's back buffer"},
    {"CreateRenderTargetView", Interface::Device, 9, reinterpret_cast<void*>(&NoTargetView),
     L"create the back buffer's render target view"},
    {"CreateVertexShader", Interface::Device, 12, reinterpret_cast<void*>(&NoVertexShader),
     L"create the vertex shader VShader"},
    {"CreatePixelShader", Interface::Device, 15, reinterpret_cast<void*>(&NoPixelShader),
     L"create the pixel shader PShader"},
    {"CreateBuffer", Interface::Device, 3, reinterpret_cast<void*>(&NoBuffer), L"create the vertex buffer"},
    {"Map", Interface::Context, 14, reinterpret_cast<void*>(&NoMap), L"fill the vertex buffer"},
};

INSTANTIATE_TEST_SUITE_P(EachCreatingCall, TriangleRendererInjectedFailure, ::testing::ValuesIn(Faults),
                         [](const ::testing::TestParamInfo<InjectedFault>& info) { return std::string(info.param.name); });
}
