#include "FaultInjection.h"

#include "CallLedger.h"
#include "ComMethods.h"
#include "ImportPatch.h"
#include "VtablePatch.h"

#define DIRECTINPUT_VERSION 0x0800
#include <d3dcompiler.h>
#include <dinput.h>

#include <atomic>
#include <mutex>

#if defined(_MSC_VER)
#include <intrin.h>
#define CALLER_ADDRESS() _ReturnAddress()
#else
#define CALLER_ADDRESS() __builtin_return_address(0)
#endif

// Defined beside the replaced nothrow forms of new: calling it links them in.
void LinkNothrowNew();

namespace
{
// ---- Whose call is it -------------------------------------------------------------------

struct ModuleRange
{
    const BYTE* begin = nullptr;
    const BYTE* end = nullptr;
};

ModuleRange ThisProgram()
{
    static const ModuleRange range = [] {
        const HMODULE module = GetModuleHandleW(nullptr);
        const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
        const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
        ModuleRange program;
        program.begin = reinterpret_cast<const BYTE*>(module);
        program.end = program.begin + headers->OptionalHeader.SizeOfImage;
        return program;
    }();
    return range;
}

std::atomic<int> internalCalls{0};

// Wine's DLLs call through the same vtables internally (device creation and full-screen
// switches enumerate adapters and outputs); only our own calls count.
bool FromThisProgram(const void* returnAddress)
{
    const ModuleRange program = ThisProgram();
    const BYTE* address = static_cast<const BYTE*>(returnAddress);
    if (address >= program.begin && address < program.end)
        return true;
    internalCalls.fetch_add(1, std::memory_order_relaxed);
    return false;
}

bool MustFail(const char* callName, long defaultFailure, HRESULT& failure)
{
    long result = 0;
    if (!CallLedger::Instance().Record(callName, defaultFailure, result))
        return false;
    failure = static_cast<HRESULT>(result);
    return true;
}

// ---- Requests ---------------------------------------------------------------------------

struct Requests
{
    std::mutex mutex;
    std::vector<FaultInjection::CompileRequest> compiles;
    std::vector<FaultInjection::DisplayModeRequest> displayModes;
    std::vector<D3D11_SAMPLER_DESC> samplers;
};

Requests& TheRequests()
{
    static Requests requests;
    return requests;
}

template <typename Request>
void Note(std::vector<Request> Requests::*list, const Request& request)
{
    Requests& requests = TheRequests();
    std::lock_guard<std::mutex> lock(requests.mutex);
    (requests.*list).push_back(request);
}

template <typename Request>
std::vector<Request> Noted(std::vector<Request> Requests::*list)
{
    Requests& requests = TheRequests();
    std::lock_guard<std::mutex> lock(requests.mutex);
    return requests.*list;
}

// ---- Root objects ----------------------------------------------------------------------

struct Roots
{
    std::mutex mutex;
    ID3D11Device* lastDevice = nullptr;
    IDXGISwapChain* lastSwapChain = nullptr;
    IDirectInput8W* lastDirectInput = nullptr;
    bool hold = false;
    std::vector<std::pair<std::string, IUnknown*>> held;
};

Roots& TheRoots()
{
    static Roots roots;
    return roots;
}

template <typename Interface>
void NoteRoot(Interface* object, Interface*& last, const char* name)
{
    Roots& roots = TheRoots();
    std::lock_guard<std::mutex> lock(roots.mutex);
    last = object;
    if (!roots.hold)
        return;
    object->AddRef();
    roots.held.emplace_back(name, object);
}

// ---- Method hooks ----------------------------------------------------------------------

// On failure, what a real failing call leaves in its out-arguments.
template <typename T>
void ClearOut(const T&)
{
}
template <typename T>
void ClearOut(T** out)
{
    if (out)
        *out = nullptr;
}
void ClearOut(D3D11_MAPPED_SUBRESOURCE* mapped)
{
    if (mapped)
        *mapped = D3D11_MAPPED_SUBRESOURCE();
}

// Descriptions the device normalises when read back are recorded as asked for.
template <typename T>
void Record(const T&)
{
}
void Record(const D3D11_SAMPLER_DESC* desc)
{
    if (desc)
        Note(&Requests::samplers, *desc);
}

// On success, objects whose methods are counted too get their vtables hooked.
template <typename T>
void Adopt(const T&)
{
}
void Adopt(IDXGIAdapter** adapter);
void Adopt(IDXGIOutput** output);
void Adopt(IDirectInputDevice8W** device);

template <ComMethod Method, typename Signature>
struct MethodHook;

template <ComMethod Method, typename Interface, typename... Args>
struct MethodHook<Method, HRESULT (STDMETHODCALLTYPE Interface::*)(Args...)>
{
    static HRESULT STDMETHODCALLTYPE Call(Interface* self, Args... args)
    {
        using Original = HRESULT(STDMETHODCALLTYPE*)(Interface*, Args...);
        const ComMethodInfo& info = ComMethods[Method];
        const Original original = reinterpret_cast<Original>(VtablePatch::Original(self, info.slot));
        if (!FromThisProgram(CALLER_ADDRESS()))
            return original(self, args...);
        (Record(args), ...);
        HRESULT failure = S_OK;
        if (MustFail(info.name, info.failure, failure))
        {
            (ClearOut(args), ...);
            return failure;
        }
        const HRESULT result = original(self, args...);
        if (SUCCEEDED(result))
            (Adopt(args), ...);
        return result;
    }
};

struct HookEntry
{
    ComMethod method;
    void* hook;
};

#define HOOK(Method, Interface, Name) \
    HookEntry { Method, reinterpret_cast<void*>(&MethodHook<Method, decltype(&Interface::Name)>::Call) }

const HookEntry FactoryHooks[] = {HOOK(ComMethodFactoryEnumAdapters, IDXGIFactory, EnumAdapters)};
const HookEntry AdapterHooks[] = {HOOK(ComMethodAdapterEnumOutputs, IDXGIAdapter, EnumOutputs)};
const HookEntry OutputHooks[] = {HOOK(ComMethodOutputGetDisplayModeList, IDXGIOutput, GetDisplayModeList)};
const HookEntry SwapChainHooks[] = {HOOK(ComMethodSwapChainGetBuffer, IDXGISwapChain, GetBuffer)};
const HookEntry DeviceHooks[] = {
    HOOK(ComMethodDeviceCreateBuffer, ID3D11Device, CreateBuffer),
    HOOK(ComMethodDeviceCreateTexture2D, ID3D11Device, CreateTexture2D),
    HOOK(ComMethodDeviceCreateShaderResourceView, ID3D11Device, CreateShaderResourceView),
    HOOK(ComMethodDeviceCreateRenderTargetView, ID3D11Device, CreateRenderTargetView),
    HOOK(ComMethodDeviceCreateDepthStencilView, ID3D11Device, CreateDepthStencilView),
    HOOK(ComMethodDeviceCreateInputLayout, ID3D11Device, CreateInputLayout),
    HOOK(ComMethodDeviceCreateVertexShader, ID3D11Device, CreateVertexShader),
    HOOK(ComMethodDeviceCreatePixelShader, ID3D11Device, CreatePixelShader),
    HOOK(ComMethodDeviceCreateBlendState, ID3D11Device, CreateBlendState),
    HOOK(ComMethodDeviceCreateDepthStencilState, ID3D11Device, CreateDepthStencilState),
    HOOK(ComMethodDeviceCreateRasterizerState, ID3D11Device, CreateRasterizerState),
    HOOK(ComMethodDeviceCreateSamplerState, ID3D11Device, CreateSamplerState),
};
const HookEntry ContextHooks[] = {HOOK(ComMethodContextMap, ID3D11DeviceContext, Map)};
const HookEntry DirectInputHooks[] = {HOOK(ComMethodDirectInputCreateDevice, IDirectInput8W, CreateDevice)};
const HookEntry InputDeviceHooks[] = {
    HOOK(ComMethodInputDeviceSetDataFormat, IDirectInputDevice8W, SetDataFormat),
    HOOK(ComMethodInputDeviceSetCooperativeLevel, IDirectInputDevice8W, SetCooperativeLevel),
    HOOK(ComMethodInputDeviceAcquire, IDirectInputDevice8W, Acquire),
    HOOK(ComMethodInputDeviceGetDeviceState, IDirectInputDevice8W, GetDeviceState),
};

template <size_t Count>
void HookMethods(void* object, const HookEntry (&hooks)[Count])
{
    if (!object)
        return;
    for (const HookEntry& entry : hooks)
        VtablePatch::Patch(object, ComMethods[entry.method].slot, entry.hook);
}

void HookDevice(ID3D11Device* device)
{
    HookMethods(device, DeviceHooks);
    ID3D11DeviceContext* context = nullptr;
    device->GetImmediateContext(&context);
    HookMethods(context, ContextHooks);
    if (context)
        context->Release();
}

void Adopt(IDXGIAdapter** adapter)
{
    HookMethods(*adapter, AdapterHooks);
}

void Adopt(IDXGIOutput** output)
{
    HookMethods(*output, OutputHooks);
}

void Adopt(IDirectInputDevice8W** device)
{
    HookMethods(*device, InputDeviceHooks);
}

// ---- Import hooks ----------------------------------------------------------------------

enum ImportedFunction
{
    ImportCreateDXGIFactory,
    ImportCreateDXGIFactory1,
    ImportD3D11CreateDevice,
    ImportD3D11CreateDeviceAndSwapChain,
    ImportDirectInput8Create,
    ImportD3DCompile,
    ImportCoCreateInstance,
    ImportChangeDisplaySettingsW,
    ImportCount
};

void* importOriginals[ImportCount];

// The type comes from the declaration; the symbol itself is not referenced, so programs
// that do not import a function need not link its library.
#define ORIGINAL(Function) reinterpret_cast<decltype(&Function)>(importOriginals[Import##Function])

void AdoptRoots(IDXGISwapChain** swapChain, ID3D11Device** device, ID3D11DeviceContext** context)
{
    Roots& roots = TheRoots();
    if (device && *device)
    {
        HookDevice(*device);
        NoteRoot(*device, roots.lastDevice, "ID3D11Device");
    }
    if (context && *context)
        HookMethods(*context, ContextHooks);
    if (swapChain && *swapChain)
    {
        HookMethods(*swapChain, SwapChainHooks);
        NoteRoot(*swapChain, roots.lastSwapChain, "IDXGISwapChain");
    }
}

HRESULT WINAPI HookedCreateDXGIFactory(REFIID riid, void** factory)
{
    HRESULT failure = S_OK;
    if (MustFail("CreateDXGIFactory", E_FAIL, failure))
    {
        ClearOut(factory);
        return failure;
    }
    const HRESULT result = ORIGINAL(CreateDXGIFactory)(riid, factory);
    if (SUCCEEDED(result))
        HookMethods(*factory, FactoryHooks);
    return result;
}

HRESULT WINAPI HookedCreateDXGIFactory1(REFIID riid, void** factory)
{
    HRESULT failure = S_OK;
    if (MustFail("CreateDXGIFactory1", E_FAIL, failure))
    {
        ClearOut(factory);
        return failure;
    }
    const HRESULT result = ORIGINAL(CreateDXGIFactory1)(riid, factory);
    if (SUCCEEDED(result))
        HookMethods(*factory, FactoryHooks);
    return result;
}

HRESULT WINAPI HookedD3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software,
                                       UINT flags, const D3D_FEATURE_LEVEL* featureLevels, UINT levelCount,
                                       UINT sdkVersion, ID3D11Device** device, D3D_FEATURE_LEVEL* featureLevel,
                                       ID3D11DeviceContext** context)
{
    HRESULT failure = S_OK;
    if (MustFail("D3D11CreateDevice", E_FAIL, failure))
    {
        ClearOut(device);
        ClearOut(context);
        return failure;
    }
    const HRESULT result = ORIGINAL(D3D11CreateDevice)(
        adapter, driverType, software, flags, featureLevels, levelCount, sdkVersion, device, featureLevel, context);
    if (SUCCEEDED(result))
        AdoptRoots(nullptr, device, context);
    return result;
}

HRESULT WINAPI HookedD3D11CreateDeviceAndSwapChain(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType,
                                                   HMODULE software, UINT flags,
                                                   const D3D_FEATURE_LEVEL* featureLevels, UINT levelCount,
                                                   UINT sdkVersion, const DXGI_SWAP_CHAIN_DESC* swapChainDesc,
                                                   IDXGISwapChain** swapChain, ID3D11Device** device,
                                                   D3D_FEATURE_LEVEL* featureLevel, ID3D11DeviceContext** context)
{
    HRESULT failure = S_OK;
    if (MustFail("D3D11CreateDeviceAndSwapChain", E_FAIL, failure))
    {
        ClearOut(swapChain);
        ClearOut(device);
        ClearOut(context);
        return failure;
    }
    const HRESULT result = ORIGINAL(D3D11CreateDeviceAndSwapChain)(
        adapter, driverType, software, flags, featureLevels, levelCount, sdkVersion, swapChainDesc, swapChain,
        device, featureLevel, context);
    if (SUCCEEDED(result))
        AdoptRoots(swapChain, device, context);
    return result;
}

HRESULT WINAPI HookedDirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, void** directInput,
                                        IUnknown* outer)
{
    HRESULT failure = S_OK;
    if (MustFail("DirectInput8Create", E_FAIL, failure))
    {
        ClearOut(directInput);
        return failure;
    }
    const HRESULT result =
        ORIGINAL(DirectInput8Create)(instance, version, riid, directInput, outer);
    // The narrow interface has other device vtables; only the wide one is followed.
    if (SUCCEEDED(result) && IsEqualIID(riid, IID_IDirectInput8W))
    {
        IDirectInput8W* created = static_cast<IDirectInput8W*>(*directInput);
        HookMethods(created, DirectInputHooks);
        NoteRoot(created, TheRoots().lastDirectInput, "IDirectInput8W");
    }
    return result;
}

HRESULT WINAPI HookedD3DCompile(LPCVOID source, SIZE_T size, LPCSTR sourceName, const D3D_SHADER_MACRO* defines,
                                ID3DInclude* include, LPCSTR entryPoint, LPCSTR target, UINT flags1,
                                UINT flags2, ID3DBlob** code, ID3DBlob** errors)
{
    Note(&Requests::compiles, FaultInjection::CompileRequest{entryPoint ? entryPoint : "", target ? target : "", flags1,
                                                             flags2, defines != nullptr, include != nullptr});
    HRESULT failure = S_OK;
    if (MustFail("D3DCompile", E_FAIL, failure))
    {
        ClearOut(code);
        ClearOut(errors);
        return failure;
    }
    return ORIGINAL(D3DCompile)(source, size, sourceName, defines, include, entryPoint,
                                                     target, flags1, flags2, code, errors);
}

HRESULT WINAPI HookedCoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object)
{
    HRESULT failure = S_OK;
    if (MustFail("CoCreateInstance", E_FAIL, failure))
    {
        ClearOut(object);
        return failure;
    }
    return ORIGINAL(CoCreateInstance)(clsid, outer, context, riid, object);
}

LONG WINAPI HookedChangeDisplaySettingsW(DEVMODEW* mode, DWORD flags)
{
    Note(&Requests::displayModes,
         FaultInjection::DisplayModeRequest{mode != nullptr, mode ? *mode : DEVMODEW(), flags});
    return ORIGINAL(ChangeDisplaySettingsW)(mode, flags);
}

struct ImportHook
{
    ImportedFunction function;
    const char* name;
    void* hook;
};

const ImportHook ImportHooks[] = {
    {ImportCreateDXGIFactory, "CreateDXGIFactory", reinterpret_cast<void*>(&HookedCreateDXGIFactory)},
    {ImportCreateDXGIFactory1, "CreateDXGIFactory1", reinterpret_cast<void*>(&HookedCreateDXGIFactory1)},
    {ImportD3D11CreateDevice, "D3D11CreateDevice", reinterpret_cast<void*>(&HookedD3D11CreateDevice)},
    {ImportD3D11CreateDeviceAndSwapChain, "D3D11CreateDeviceAndSwapChain",
     reinterpret_cast<void*>(&HookedD3D11CreateDeviceAndSwapChain)},
    {ImportDirectInput8Create, "DirectInput8Create", reinterpret_cast<void*>(&HookedDirectInput8Create)},
    {ImportD3DCompile, "D3DCompile", reinterpret_cast<void*>(&HookedD3DCompile)},
    {ImportCoCreateInstance, "CoCreateInstance", reinterpret_cast<void*>(&HookedCoCreateInstance)},
    {ImportChangeDisplaySettingsW, "ChangeDisplaySettingsW", reinterpret_cast<void*>(&HookedChangeDisplaySettingsW)},
};

template <typename Interface>
Interface* Query(IUnknown* object, REFIID riid)
{
    void* found = nullptr;
    if (FAILED(object->QueryInterface(riid, &found)))
        return nullptr;
    // Only the vtable is needed; the object stays alive through the caller's reference.
    static_cast<IUnknown*>(found)->Release();
    return static_cast<Interface*>(found);
}
}

void FaultInjection::Install()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        LinkNothrowNew();
        const HMODULE program = GetModuleHandleW(nullptr);
        for (const ImportHook& import : ImportHooks)
            importOriginals[import.function] = ImportPatch::Patch(program, import.name, import.hook);
    });
}

void FaultInjection::Arm(int failAt)
{
    Install();
    {
        Roots& roots = TheRoots();
        std::lock_guard<std::mutex> lock(roots.mutex);
        roots.lastDevice = nullptr;
        roots.lastSwapChain = nullptr;
        roots.lastDirectInput = nullptr;
    }
    {
        Requests& requests = TheRequests();
        std::lock_guard<std::mutex> lock(requests.mutex);
        requests.compiles.clear();
        requests.displayModes.clear();
        requests.samplers.clear();
    }
    internalCalls.store(0);
    CallLedger::Instance().Arm(failAt);
}

void FaultInjection::Disarm()
{
    CallLedger::Instance().Disarm();
}

int FaultInjection::Count()
{
    return CallLedger::Instance().Count();
}

std::vector<std::string> FaultInjection::Calls()
{
    return CallLedger::Instance().Calls();
}

int FaultInjection::InternalCalls()
{
    return internalCalls.load();
}

std::string FaultInjection::FailedCall()
{
    return CallLedger::Instance().FailedCall();
}

void FaultInjection::FailNext(const std::string& callName, HRESULT result, int times)
{
    Install();
    CallLedger::Instance().FailNext(callName, result, times);
}

ULONG FaultInjection::RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

std::vector<FaultInjection::CompileRequest> FaultInjection::Compiles()
{
    return Noted(&Requests::compiles);
}

std::vector<FaultInjection::DisplayModeRequest> FaultInjection::DisplayModes()
{
    return Noted(&Requests::displayModes);
}

std::vector<D3D11_SAMPLER_DESC> FaultInjection::Samplers()
{
    return Noted(&Requests::samplers);
}

void FaultInjection::HookObject(IUnknown* object)
{
    if (!object)
        return;
    Install();
    if (ID3D11Device* device = Query<ID3D11Device>(object, IID_ID3D11Device))
        HookDevice(device);
    HookMethods(Query<ID3D11DeviceContext>(object, IID_ID3D11DeviceContext), ContextHooks);
    HookMethods(Query<IDXGISwapChain>(object, IID_IDXGISwapChain), SwapChainHooks);
    HookMethods(Query<IDXGIFactory>(object, IID_IDXGIFactory), FactoryHooks);
    HookMethods(Query<IDXGIAdapter>(object, IID_IDXGIAdapter), AdapterHooks);
    HookMethods(Query<IDXGIOutput>(object, IID_IDXGIOutput), OutputHooks);
    HookMethods(Query<IDirectInput8W>(object, IID_IDirectInput8W), DirectInputHooks);
    HookMethods(Query<IDirectInputDevice8W>(object, IID_IDirectInputDevice8W), InputDeviceHooks);
}

ID3D11Device* FaultInjection::LastDevice()
{
    Roots& roots = TheRoots();
    std::lock_guard<std::mutex> lock(roots.mutex);
    return roots.lastDevice;
}

IDXGISwapChain* FaultInjection::LastSwapChain()
{
    Roots& roots = TheRoots();
    std::lock_guard<std::mutex> lock(roots.mutex);
    return roots.lastSwapChain;
}

IDirectInput8W* FaultInjection::LastDirectInput()
{
    Roots& roots = TheRoots();
    std::lock_guard<std::mutex> lock(roots.mutex);
    return roots.lastDirectInput;
}

void FaultInjection::HoldRoots(bool hold)
{
    Install();
    Roots& roots = TheRoots();
    std::lock_guard<std::mutex> lock(roots.mutex);
    roots.hold = hold;
}

std::vector<std::pair<std::string, ULONG>> FaultInjection::ReleaseHeldRoots()
{
    std::vector<std::pair<std::string, IUnknown*>> held;
    {
        Roots& roots = TheRoots();
        std::lock_guard<std::mutex> lock(roots.mutex);
        held.swap(roots.held);
    }
    std::vector<std::pair<std::string, ULONG>> counts;
    for (const char* kind : {"IDXGISwapChain", "ID3D11Device", "IDirectInput8W"})
        for (const auto& root : held)
            if (root.first == kind)
                counts.emplace_back(root.first, root.second->Release());
    return counts;
}
