// Starting and stopping: a failed start names what failed and leaves only what
// it created, and StopDirect3D releases exactly what exists.
#include "TriangleRenderer.h"

#include "CompilerText.h"
#include "FailureSweep.h"
#include "FaultInjection.h"
#include "TempFolder.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

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

// What the compiler itself says about the file in the working directory, as the failure quotes it.
std::wstring CompilerQuote(const char* entry, const char* profile)
{
    std::string text = CompilerText::Of(L"shaders.shader", entry, profile, 0);
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

    // A working directory of the test's own, whose "shaders.shader" holds the source (null: none).
    bool WorkWithShaderFile(const char* source)
    {
        return scratch.Enter() && (!source || !scratch.Write("shaders.shader", source).empty());
    }

    TestWindow window{500, 380};
    TempFolder scratch;
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
    ASSERT_TRUE(WorkWithShaderFile(nullptr));
    EXPECT_FALSE(StartDirect3D(window.Handle()));
    EXPECT_STREQ(StartFailure(), L"Could not compile VShader (vs_4_0) from shaders.shader: the file was not found.");
    EXPECT_TRUE(device && swapChain && backBufferTarget);
    EXPECT_FALSE(vertexShader);
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, CompileErrorCarriesTheCompilersText)
{
    ASSERT_TRUE(WorkWithShaderFile("float4 VShader(float3 p : POSITION) : SV_POSITION\n{\n    return p\n}\n"));
    const std::wstring compiler = CompilerQuote("VShader", "vs_4_0");
    ASSERT_FALSE(compiler.empty());

    EXPECT_FALSE(StartDirect3D(window.Handle()));
    EXPECT_EQ(std::wstring(StartFailure()), L"Could not compile VShader (vs_4_0) from shaders.shader:\n\n" + compiler);
    ExpectStopReleasesEverything();
}

TEST_F(TriangleRendererStartStop, MissingPixelShaderEntryIsNamedAfterTheVertexShaderCompiled)
{
    ASSERT_TRUE(WorkWithShaderFile(
        "float4 VShader(float3 p : POSITION, float4 c : COLOR) : SV_POSITION { return float4(p, 1); }\n"));
    const std::wstring compiler = CompilerQuote("PShader", "ps_4_0");

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
    ASSERT_TRUE(WorkWithShaderFile(
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

// Every creating call of the start-up made to fail in turn.
TEST_F(TriangleRendererStartStop, EachFailingCreatingCallFailsTheStartWithItsNameAndLeavesNothingBehind)
{
    const std::wstring vertex = L"Could not compile VShader (vs_4_0) from shaders.shader";
    const std::wstring pixel = L"Could not compile PShader (ps_4_0) from shaders.shader";
    const std::wstring failed = L" (error 0x80004005).";
    const std::wstring outOfMemory = L" (error 0x8007000E).";
    // What each call's failure says; of a call made twice, the vertex shader's comes first.
    const std::map<std::string, std::vector<std::wstring>> failures = {
        {"D3D11CreateDeviceAndSwapChain", {L"Could not create the Direct3D 11 device and swap chain" + failed}},
        {"IDXGISwapChain::GetBuffer", {L"Could not get the swap chain's back buffer" + failed}},
        {"ID3D11Device::CreateRenderTargetView", {L"Could not create the back buffer's render target view" + failed}},
        {"operator new[]", {vertex + outOfMemory, pixel + outOfMemory}},  // the source file's buffer
        {"D3DCompile", {vertex + failed, pixel + failed}},
        {"ID3D11Device::CreateVertexShader", {L"Could not create the vertex shader VShader" + failed}},
        {"ID3D11Device::CreatePixelShader", {L"Could not create the pixel shader PShader" + failed}},
        {"ID3D11Device::CreateInputLayout",
         {L"Could not create the input layout from VShader's inputs (POSITION: three floats, COLOR: four)" + failed}},
        {"ID3D11Device::CreateBuffer", {L"Could not create the vertex buffer" + failed}},
        {"ID3D11DeviceContext::Map", {L"Could not fill the vertex buffer" + failed}},
    };
    std::wstring failure;
    bool released = false;
    FailureSweep sweep([&] {
        const bool started = StartDirect3D(window.Handle());
        failure = StartFailure();
        StopDirect3D();
        released = AllReleased();
        return started;
    });
    EXPECT_EQ(sweep.Clean().roots, 2u) << "a device and a swap chain";
    const std::vector<FaultInjection::CompileRequest> compiles = FaultInjection::Compiles();
    ASSERT_EQ(compiles.size(), 2u);
    const char* const shaders[][2] = {{"VShader", "vs_4_0"}, {"PShader", "ps_4_0"}};
    for (size_t i = 0; i < compiles.size(); ++i)
    {
        EXPECT_EQ(compiles[i].entryPoint, shaders[i][0]);
        EXPECT_EQ(compiles[i].profile, shaders[i][1]);
        EXPECT_EQ(compiles[i].flags1, 0u);
        EXPECT_EQ(compiles[i].flags2, 0u);
        EXPECT_FALSE(compiles[i].defines || compiles[i].include);
    }
    const std::vector<std::string>& log = sweep.Log();
    std::vector<std::string> described;
    for (const auto& call : failures)
        described.insert(described.end(), call.second.size(), call.first);
    EXPECT_TRUE(std::is_permutation(log.begin(), log.end(), described.begin(), described.end()));

    sweep.FailEach([&](int k, const FailureSweep::Run& run) {
        const auto said = failures.find(log[k - 1]);
        ASSERT_NE(said, failures.end());
        const auto before = static_cast<size_t>(std::count(log.begin(), log.begin() + k - 1, log[k - 1]));
        ASSERT_LT(before, said->second.size());
        EXPECT_EQ(failure, said->second[before]);
        EXPECT_EQ(run.calls, k) << "calls after the failure";
        EXPECT_TRUE(released);
    });
}
}
