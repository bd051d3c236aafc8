#include "FaultInjection.h"
#include "TestDevice.h"

#include <d3dcompiler.h>
#include <d3dx11.h>
#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <new>

namespace
{
// Out-pointers start as garbage, so a failed call that leaves them alone shows.
template <typename T>
T* Garbage()
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(0x10));
}

// Runs creating calls in order and stops at the first failure, as the set-ups under test
// do; releases what it created, newest first.
class CallSequence
{
public:
    ~CallSequence()
    {
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            (*it)->Release();
    }

    template <typename T, typename Call>
    T* Create(Call call)
    {
        if (failed)
            return nullptr;
        T* object = Garbage<T>();
        const HRESULT result = call(&object);
        Note(result, object == nullptr);
        if (failed)
            return nullptr;
        created.push_back(object);
        return object;
    }

    // A call without an out-pointer, or with one the caller checks (clearedOnFailure).
    template <typename Call>
    void Do(Call call, bool (*clearedOnFailure)(const void*) = nullptr, const void* out = nullptr)
    {
        if (failed)
            return;
        const HRESULT result = call();
        Note(result, !clearedOnFailure || clearedOnFailure(out));
    }

    // Stands for the set-ups' own "no object" check after new (std::nothrow).
    void CheckAllocation(const void* allocated) { Note(allocated ? S_OK : E_OUTOFMEMORY, true); }

    bool Failed() const { return failed; }
    int Steps() const { return steps; }
    HRESULT Failure() const { return failure; }
    bool OutCleared() const { return outCleared; }

private:
    void Note(HRESULT result, bool cleared)
    {
        ++steps;
        if (SUCCEEDED(result))
            return;
        failed = true;
        failure = result;
        outCleared = cleared;
    }

    std::vector<IUnknown*> created;
    bool failed = false;
    int steps = 0;
    HRESULT failure = S_OK;
    bool outCleared = true;
};

HRESULT ExpectedFailure(const std::string& call)
{
    if (call == "IDirectInputDevice8W::Acquire")
        return DIERR_OTHERAPPHASPRIO;
    return call.compare(0, 12, "operator new") == 0 ? E_OUTOFMEMORY : E_FAIL;
}

// Counts the calls of a set-up, then runs it once per call with that call failing: the
// set-up must stop right there with the failure, the out-pointer nulled.
template <typename SetUp>
void ExpectEachCallFailsOnce(SetUp setUp, const std::vector<std::string>& expectedCalls)
{
    FaultInjection::Arm(0);
    {
        CallSequence clean;
        setUp(clean);
        EXPECT_FALSE(clean.Failed()) << "0x" << std::hex << clean.Failure();
    }
    FaultInjection::Disarm();
    ASSERT_EQ(FaultInjection::Calls(), expectedCalls);

    for (size_t k = 1; k <= expectedCalls.size(); ++k)
    {
        const std::string& call = expectedCalls[k - 1];
        SCOPED_TRACE(call);
        FaultInjection::Arm(static_cast<int>(k));
        CallSequence sequence;
        setUp(sequence);
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), call);
        EXPECT_EQ(FaultInjection::Count(), static_cast<int>(k));
        EXPECT_EQ(sequence.Steps(), static_cast<int>(k));
        EXPECT_EQ(sequence.Failure(), ExpectedFailure(call));
        EXPECT_TRUE(sequence.OutCleared());
    }
}

class FaultInjectionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        FaultInjection::Install();
        FaultInjection::Arm(0);
        FaultInjection::Disarm();
    }
    void TearDown() override
    {
        FaultInjection::Disarm();
        FaultInjection::HoldRoots(false);
        FaultInjection::ReleaseHeldRoots();
    }
};

const char ShaderSource[] = "float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1); }\n"
                            "float4 PS(float4 p : SV_POSITION) : SV_TARGET { return float4(1, 0, 0, 1); }\n";

ID3DBlob* Compile(CallSequence& sequence, const char* entryPoint, const char* profile)
{
    return sequence.Create<ID3DBlob>([&](ID3DBlob** code) {
        return D3DCompile(ShaderSource, sizeof(ShaderSource) - 1, "test", nullptr, nullptr, entryPoint, profile, 0,
                          0, code, nullptr);
    });
}

bool MappedCleared(const void* mapped)
{
    return static_cast<const D3D11_MAPPED_SUBRESOURCE*>(mapped)->pData == nullptr;
}

// One of each counted device call, in an order a renderer's set-up might use.
void SetUpPipeline(const TestDevice& gpu, CallSequence& sequence)
{
    ID3D11Device* device = gpu.Device();
    ID3DBlob* vertexCode = Compile(sequence, "VS", "vs_5_0");
    ID3DBlob* pixelCode = Compile(sequence, "PS", "ps_5_0");
    sequence.Create<ID3D11VertexShader>([&](ID3D11VertexShader** shader) {
        return device->CreateVertexShader(vertexCode->GetBufferPointer(), vertexCode->GetBufferSize(), nullptr,
                                          shader);
    });
    sequence.Create<ID3D11PixelShader>([&](ID3D11PixelShader** shader) {
        return device->CreatePixelShader(pixelCode->GetBufferPointer(), pixelCode->GetBufferSize(), nullptr, shader);
    });
    sequence.Create<ID3D11InputLayout>([&](ID3D11InputLayout** layout) {
        const D3D11_INPUT_ELEMENT_DESC polygonLayout = {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0,
                                                        D3D11_INPUT_PER_VERTEX_DATA, 0};
        return device->CreateInputLayout(&polygonLayout, 1, vertexCode->GetBufferPointer(),
                                         vertexCode->GetBufferSize(), layout);
    });

    ID3D11Buffer* buffer = sequence.Create<ID3D11Buffer>([&](ID3D11Buffer** created) {
        const D3D11_BUFFER_DESC bufferDesc = {64, D3D11_USAGE_DYNAMIC, D3D11_BIND_CONSTANT_BUFFER,
                                              D3D11_CPU_ACCESS_WRITE, 0, 0};
        return device->CreateBuffer(&bufferDesc, nullptr, created);
    });
    D3D11_MAPPED_SUBRESOURCE mappedResource;
    mappedResource.pData = Garbage<void>();
    sequence.Do([&] { return gpu.Context()->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mappedResource); },
                MappedCleared, &mappedResource);
    if (!sequence.Failed())
        gpu.Context()->Unmap(buffer, 0);

    D3D11_TEXTURE2D_DESC textureDesc = {8, 8, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                                        D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE, 0, 0};
    ID3D11Texture2D* texture = sequence.Create<ID3D11Texture2D>(
        [&](ID3D11Texture2D** created) { return device->CreateTexture2D(&textureDesc, nullptr, created); });
    sequence.Create<ID3D11RenderTargetView>(
        [&](ID3D11RenderTargetView** view) { return device->CreateRenderTargetView(texture, nullptr, view); });
    sequence.Create<ID3D11ShaderResourceView>(
        [&](ID3D11ShaderResourceView** view) { return device->CreateShaderResourceView(texture, nullptr, view); });
    textureDesc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
    textureDesc.BindFlags = D3D11_BIND_DEPTH_STENCIL;
    ID3D11Texture2D* depth = sequence.Create<ID3D11Texture2D>(
        [&](ID3D11Texture2D** created) { return device->CreateTexture2D(&textureDesc, nullptr, created); });
    sequence.Create<ID3D11DepthStencilView>(
        [&](ID3D11DepthStencilView** view) { return device->CreateDepthStencilView(depth, nullptr, view); });

    sequence.Create<ID3D11DepthStencilState>([&](ID3D11DepthStencilState** state) {
        D3D11_DEPTH_STENCIL_DESC depthStencilDesc = {};
        depthStencilDesc.DepthEnable = TRUE;
        depthStencilDesc.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
        depthStencilDesc.DepthFunc = D3D11_COMPARISON_LESS;
        return device->CreateDepthStencilState(&depthStencilDesc, state);
    });
    sequence.Create<ID3D11RasterizerState>([&](ID3D11RasterizerState** state) {
        D3D11_RASTERIZER_DESC rasterDesc = {};
        rasterDesc.FillMode = D3D11_FILL_SOLID;
        rasterDesc.CullMode = D3D11_CULL_BACK;
        return device->CreateRasterizerState(&rasterDesc, state);
    });
    sequence.Create<ID3D11BlendState>([&](ID3D11BlendState** state) {
        D3D11_BLEND_DESC blendStateDescription = {};
        blendStateDescription.RenderTarget[0].SrcBlend = D3D11_BLEND_ONE;
        blendStateDescription.RenderTarget[0].DestBlend = D3D11_BLEND_ZERO;
        blendStateDescription.RenderTarget[0].BlendOp = D3D11_BLEND_OP_ADD;
        blendStateDescription.RenderTarget[0].SrcBlendAlpha = D3D11_BLEND_ONE;
        blendStateDescription.RenderTarget[0].DestBlendAlpha = D3D11_BLEND_ZERO;
        blendStateDescription.RenderTarget[0].BlendOpAlpha = D3D11_BLEND_OP_ADD;
        blendStateDescription.RenderTarget[0].RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
        return device->CreateBlendState(&blendStateDescription, state);
    });
    sequence.Create<ID3D11SamplerState>([&](ID3D11SamplerState** state) {
        D3D11_SAMPLER_DESC samplerDesc = {};
        samplerDesc.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
        samplerDesc.AddressU = samplerDesc.AddressV = samplerDesc.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
        samplerDesc.ComparisonFunc = D3D11_COMPARISON_ALWAYS;
        samplerDesc.MaxLOD = D3D11_FLOAT32_MAX;
        return device->CreateSamplerState(&samplerDesc, state);
    });
    sequence.Create<ID3D11Texture2D>([&](ID3D11Texture2D** backBuffer) {
        return gpu.SwapChain()->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(backBuffer));
    });
}

// The display-mode query of a full-screen set-up, mode list allocated with new (std::nothrow).
void QueryDisplayModes(CallSequence& sequence)
{
    IDXGIFactory* factory = sequence.Create<IDXGIFactory>(
        [](IDXGIFactory** created) { return CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(created)); });
    IDXGIAdapter* adapter =
        sequence.Create<IDXGIAdapter>([&](IDXGIAdapter** created) { return factory->EnumAdapters(0, created); });
    IDXGIOutput* output =
        sequence.Create<IDXGIOutput>([&](IDXGIOutput** created) { return adapter->EnumOutputs(0, created); });
    UINT numModes = 0;
    sequence.Do([&] {
        return output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &numModes, nullptr);
    });
    if (sequence.Failed())
        return;
    std::unique_ptr<DXGI_MODE_DESC[]> displayModeList(new (std::nothrow) DXGI_MODE_DESC[numModes]);
    sequence.CheckAllocation(displayModeList.get());
    sequence.Do([&] {
        return output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &numModes,
                                          displayModeList.get());
    });
}

// A keyboard set-up as a DirectInput reader makes it, and one read.
void ReadKeyboard(HWND window, CallSequence& sequence)
{
    IDirectInput8W* directInput = sequence.Create<IDirectInput8W>([](IDirectInput8W** created) {
        return DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                  reinterpret_cast<void**>(created), nullptr);
    });
    IDirectInputDevice8W* keyboard = sequence.Create<IDirectInputDevice8W>(
        [&](IDirectInputDevice8W** created) { return directInput->CreateDevice(GUID_SysKeyboard, created, nullptr); });
    sequence.Do([&] { return keyboard->SetDataFormat(&c_dfDIKeyboard); });
    sequence.Do([&] { return keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE); });
    sequence.Do([&] { return keyboard->Acquire(); });
    unsigned char keyboardState[256];
    sequence.Do([&] { return keyboard->GetDeviceState(sizeof(keyboardState), keyboardState); });
}
}

// ---- Counting and failing each call --------------------------------------------------------

using FaultInjectionDevice = FaultInjectionTest;

TEST_F(FaultInjectionDevice, FailsEachDeviceCallOnce)
{
    TestDevice gpu;
    ASSERT_TRUE(gpu.Ok());
    ExpectEachCallFailsOnce([&](CallSequence& sequence) { SetUpPipeline(gpu, sequence); },
                            {"D3DCompile", "D3DCompile", "ID3D11Device::CreateVertexShader",
                             "ID3D11Device::CreatePixelShader", "ID3D11Device::CreateInputLayout",
                             "ID3D11Device::CreateBuffer", "ID3D11DeviceContext::Map", "ID3D11Device::CreateTexture2D",
                             "ID3D11Device::CreateRenderTargetView", "ID3D11Device::CreateShaderResourceView",
                             "ID3D11Device::CreateTexture2D", "ID3D11Device::CreateDepthStencilView",
                             "ID3D11Device::CreateDepthStencilState", "ID3D11Device::CreateRasterizerState",
                             "ID3D11Device::CreateBlendState", "ID3D11Device::CreateSamplerState",
                             "IDXGISwapChain::GetBuffer"});
}

TEST_F(FaultInjectionDevice, FailsDeviceCreationAndEachDisplayModeCall)
{
    FaultInjection::Arm(1);
    TestDevice failed;
    FaultInjection::Disarm();
    EXPECT_EQ(failed.Result(), E_FAIL);
    EXPECT_FALSE(failed.Device() || failed.Context() || failed.SwapChain());
    EXPECT_EQ(FaultInjection::LastDevice(), nullptr);

    ExpectEachCallFailsOnce(QueryDisplayModes,
                            {"CreateDXGIFactory", "IDXGIFactory::EnumAdapters", "IDXGIAdapter::EnumOutputs",
                             "IDXGIOutput::GetDisplayModeList", "operator new[]", "IDXGIOutput::GetDisplayModeList"});
}

TEST_F(FaultInjectionDevice, CallsInsideWineAreNeitherCountedNorFailed)
{
    // Device creation and the output query enumerate adapters and outputs inside Wine,
    // through the vtables hooked here.
    CallSequence sequence;
    QueryDisplayModes(sequence);
    FaultInjection::Arm(2);
    TestDevice gpu;
    ASSERT_TRUE(gpu.Ok());
    IDXGIOutput* output = nullptr;
    ASSERT_HRESULT_SUCCEEDED(gpu.SwapChain()->GetContainingOutput(&output));
    output->Release();
    FaultInjection::Disarm();

    EXPECT_GT(FaultInjection::InternalCalls(), 0);
    EXPECT_EQ(FaultInjection::Calls(), std::vector<std::string>{"D3D11CreateDeviceAndSwapChain"});
}

// Its own suite, so under ctest its own process: the device comes before any hook.
TEST(FaultInjectionLateObjects, HookObjectCatchesObjectsMadeBeforeInstall)
{
    TestDevice gpu;
    ASSERT_TRUE(gpu.Ok());
    FaultInjection::HookObject(gpu.Device());
    FaultInjection::Arm(1);
    ID3D11Buffer* buffer = Garbage<ID3D11Buffer>();
    const D3D11_BUFFER_DESC vertexBufferDesc = {64, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
    EXPECT_EQ(gpu.Device()->CreateBuffer(&vertexBufferDesc, nullptr, &buffer), E_FAIL);
    FaultInjection::Disarm();
    EXPECT_EQ(buffer, nullptr);
}

using FaultInjectionInput = FaultInjectionTest;

TEST_F(FaultInjectionInput, FailsEachDirectInputCallOnce)
{
    TestWindow window;
    ExpectEachCallFailsOnce([&](CallSequence& sequence) { ReadKeyboard(window.Handle(), sequence); },
                            {"DirectInput8Create", "IDirectInput8W::CreateDevice", "IDirectInputDevice8W::SetDataFormat",
                             "IDirectInputDevice8W::SetCooperativeLevel", "IDirectInputDevice8W::Acquire",
                             "IDirectInputDevice8W::GetDeviceState"});
}

TEST_F(FaultInjectionInput, FailNextGivesOneShotResultsWithoutArming)
{
    TestWindow window;
    CallSequence sequence;
    ReadKeyboard(window.Handle(), sequence);
    ASSERT_FALSE(sequence.Failed());
    IDirectInputDevice8W* keyboard = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        FaultInjection::LastDirectInput()->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr));
    keyboard->SetDataFormat(&c_dfDIKeyboard);
    keyboard->SetCooperativeLevel(window.Handle(), DISCL_FOREGROUND | DISCL_NONEXCLUSIVE);
    keyboard->Acquire();

    unsigned char keys[256];
    FaultInjection::FailNext("IDirectInputDevice8W::GetDeviceState", DIERR_INPUTLOST, 2);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
    FaultInjection::FailNext("IDirectInputDevice8W::Acquire", DIERR_OTHERAPPHASPRIO);
    FaultInjection::FailNext("IDirectInputDevice8W::Acquire", DIERR_OTHERAPPHASPRIO, 0);
    EXPECT_EQ(keyboard->Acquire(), S_FALSE);  // already acquired
    EXPECT_EQ(FaultInjection::Count(), 0);
    EXPECT_EQ(FaultInjection::FailedCall(), "");
    keyboard->Release();
}

using FaultInjectionImports = FaultInjectionTest;

TEST_F(FaultInjectionImports, CountsCallsOfTheD3DXSubsetWicAndNothrowNew)
{
    std::ofstream("fault_injection.hlsl") << ShaderSource;
    const auto compile = [](ID3D10Blob** code, ID3D10Blob** errors) {
        return D3DX11CompileFromFileW(L"fault_injection.hlsl", nullptr, nullptr, "PS", "ps_5_0", 0, 0, nullptr, code,
                                      errors, nullptr);
    };
    ID3D10Blob* code = nullptr;
    FaultInjection::Arm(0);
    ASSERT_HRESULT_SUCCEEDED(compile(&code, nullptr));
    code->Release();
    // The subset reads the file into memory of its own first.
    const std::vector<std::string> calls = FaultInjection::Calls();
    const auto compiler = std::find(calls.begin(), calls.end(), "D3DCompile");
    ASSERT_NE(compiler, calls.end());

    code = Garbage<ID3D10Blob>();
    ID3D10Blob* errors = Garbage<ID3D10Blob>();
    FaultInjection::Arm(static_cast<int>(compiler - calls.begin()) + 1);
    EXPECT_EQ(compile(&code, &errors), E_FAIL);
    EXPECT_EQ(FaultInjection::FailedCall(), "D3DCompile");
    EXPECT_EQ(code, nullptr);
    EXPECT_EQ(errors, nullptr);

    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    IWICImagingFactory* wic = Garbage<IWICImagingFactory>();
    FaultInjection::Arm(1);
    EXPECT_EQ(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               reinterpret_cast<void**>(&wic)),
              E_FAIL);
    EXPECT_EQ(wic, nullptr);
    CoUninitialize();

    FaultInjection::Arm(2);
    std::unique_ptr<int> first(new (std::nothrow) int(7));
    std::unique_ptr<char[]> second(new (std::nothrow) char[64]);
    std::unique_ptr<int> third(new (std::nothrow) int(8));
    FaultInjection::Disarm();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first, 7);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(FaultInjection::Calls(), (std::vector<std::string>{"operator new", "operator new[]", "operator new"}));
}

// ---- Root objects -------------------------------------------------------------------------

using FaultInjectionRoots = FaultInjectionTest;

TEST_F(FaultInjectionRoots, HeldDeviceShowsALeakedBuffer)
{
    FaultInjection::HoldRoots(true);
    ID3D11Buffer* leaked = nullptr;
    {
        TestDevice gpu;
        ASSERT_TRUE(gpu.Ok());
        EXPECT_EQ(FaultInjection::LastDevice(), gpu.Device());
        EXPECT_EQ(FaultInjection::LastSwapChain(), gpu.SwapChain());
        const D3D11_BUFFER_DESC vertexBufferDesc = {64, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
        ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateBuffer(&vertexBufferDesc, nullptr, &leaked));
    }
    const std::vector<std::pair<std::string, ULONG>> counts = FaultInjection::ReleaseHeldRoots();
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0], std::make_pair(std::string("IDXGISwapChain"), 0ul));
    // The buffer keeps a reference on its device.
    EXPECT_EQ(counts[1], std::make_pair(std::string("ID3D11Device"), 1ul));
    EXPECT_EQ(leaked->Release(), 0u);

    {
        TestDevice gpu;
        ASSERT_TRUE(gpu.Ok());
    }
    EXPECT_EQ(FaultInjection::ReleaseHeldRoots(),
              (std::vector<std::pair<std::string, ULONG>>{{"IDXGISwapChain", 0}, {"ID3D11Device", 0}}));
}

TEST_F(FaultInjectionRoots, HeldDirectInputShowsALeakedDevice)
{
    TestWindow window;
    FaultInjection::HoldRoots(true);
    IDirectInputDevice8W* leaked = nullptr;
    {
        CallSequence sequence;
        ReadKeyboard(window.Handle(), sequence);
        ASSERT_FALSE(sequence.Failed());
        ASSERT_HRESULT_SUCCEEDED(FaultInjection::LastDirectInput()->CreateDevice(GUID_SysMouse, &leaked, nullptr));
    }
    // Devices keep a reference on their DirectInput object.
    EXPECT_EQ(FaultInjection::ReleaseHeldRoots(),
              (std::vector<std::pair<std::string, ULONG>>{{"IDirectInput8W", 1}}));
    EXPECT_EQ(leaked->Release(), 0u);
}
