// program_probe.dll, loaded by ProgramProbe into a program before the program's first thread
// runs. Its DllMain only redirects imports of the program; every object it watches is patched
// on the program's own thread at the moment the program creates it, before first use:
//   D3D11CreateDeviceAndSwapChain: the swap chain's Present (counted, with its sync interval
//     and flags) and the menu of the swap chain's window;
//   DirectInput8Create: CreateDevice, and through it each device's GetDeviceState;
//   ShowCursor: the display count the program's own calls leave.
// What the program does is not changed.
#include "ComMethods.h"
#include "ImportPatch.h"
#include "ProbeReport.h"
#include "VtablePatch.h"

#define DIRECTINPUT_VERSION 0x0800
#include <d3d11.h>
#include <dinput.h>

#include <string>

namespace
{
ProbeReport* report = nullptr;

decltype(&D3D11CreateDeviceAndSwapChain) originalCreateDeviceAndSwapChain = nullptr;
decltype(&DirectInput8Create) originalDirectInput8Create = nullptr;
decltype(&ShowCursor) originalShowCursor = nullptr;

using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDXGISwapChain*, UINT, UINT);
using CreateDeviceFunction = HRESULT(STDMETHODCALLTYPE*)(IDirectInput8W*, REFGUID, IDirectInputDevice8W**,
                                                         IUnknown*);
using GetDeviceStateFunction = HRESULT(STDMETHODCALLTYPE*)(IDirectInputDevice8W*, DWORD, void*);

template <typename Function>
Function Original(void* object, ComMethod method)
{
    return reinterpret_cast<Function>(VtablePatch::Original(object, ComMethods[method].slot));
}

void Watch(void* object, ComMethod method, void* hook)
{
    VtablePatch::Patch(object, ComMethods[method].slot, hook);
}

HRESULT STDMETHODCALLTYPE CountingPresent(IDXGISwapChain* chain, UINT syncInterval, UINT flags)
{
    const UINT bit = syncInterval < 30 ? syncInterval : 30;
    InterlockedOr(&report->syncIntervals, static_cast<LONG>(1u << bit));
    InterlockedOr(&report->presentFlags, static_cast<LONG>(flags));
    InterlockedIncrement(&report->presents);
    return Original<PresentFunction>(chain, ComMethodSwapChainPresent)(chain, syncInterval, flags);
}

HRESULT STDMETHODCALLTYPE CountingGetDeviceState(IDirectInputDevice8W* device, DWORD size, void* state)
{
    const HRESULT result =
        Original<GetDeviceStateFunction>(device, ComMethodInputDeviceGetDeviceState)(device, size, state);
    if (SUCCEEDED(result))
        InterlockedIncrement(&report->readsTaken);
    else if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED)
        InterlockedIncrement(&report->readsLost);
    return result;
}

// Keyboard and mouse may have vtables of their own: each device is watched as it comes.
HRESULT STDMETHODCALLTYPE WatchingCreateDevice(IDirectInput8W* directInput, REFGUID guid,
                                               IDirectInputDevice8W** device, IUnknown* outer)
{
    const HRESULT result = Original<CreateDeviceFunction>(directInput, ComMethodDirectInputCreateDevice)(
        directInput, guid, device, outer);
    if (SUCCEEDED(result) && device && *device)
        Watch(*device, ComMethodInputDeviceGetDeviceState, reinterpret_cast<void*>(&CountingGetDeviceState));
    return result;
}

std::wstring ItemText(HMENU menu, int position)
{
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return text;
}

std::wstring DescribeMenu(HMENU menu)
{
    std::wstring description;
    for (int top = 0; top < GetMenuItemCount(menu); ++top)
    {
        description += ItemText(menu, top) + L"{";
        HMENU popup = GetSubMenu(menu, top);
        for (int item = 0; popup && item < GetMenuItemCount(popup); ++item)
            description += ItemText(popup, item) + L"=" + std::to_wstring(GetMenuItemID(popup, item)) + L";";
        description += L"}";
    }
    return description;
}

void ReadMenu(HWND window)
{
    const std::wstring description = DescribeMenu(GetMenu(window));
    lstrcpynW(report->menu, description.c_str(), static_cast<int>(sizeof(report->menu) / sizeof(wchar_t)));
    InterlockedExchange(&report->menuRead, 1);
}

HRESULT WINAPI WatchingCreateDeviceAndSwapChain(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software,
                                                UINT flags, const D3D_FEATURE_LEVEL* featureLevels,
                                                UINT featureLevelCount, UINT sdkVersion,
                                                const DXGI_SWAP_CHAIN_DESC* swapChainDesc,
                                                IDXGISwapChain** swapChain, ID3D11Device** device,
                                                D3D_FEATURE_LEVEL* featureLevel, ID3D11DeviceContext** context)
{
    const HRESULT result =
        originalCreateDeviceAndSwapChain(adapter, driverType, software, flags, featureLevels, featureLevelCount,
                                         sdkVersion, swapChainDesc, swapChain, device, featureLevel, context);
    if (SUCCEEDED(result) && swapChain && *swapChain)
        Watch(*swapChain, ComMethodSwapChainPresent, reinterpret_cast<void*>(&CountingPresent));
    if (swapChainDesc)
        ReadMenu(swapChainDesc->OutputWindow);
    return result;
}

// The A and W interfaces share their layout.
HRESULT WINAPI WatchingDirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId, void** out,
                                          IUnknown* outer)
{
    const HRESULT result = originalDirectInput8Create(instance, version, interfaceId, out, outer);
    if (SUCCEEDED(result) && out && *out)
        Watch(*out, ComMethodDirectInputCreateDevice, reinterpret_cast<void*>(&WatchingCreateDevice));
    return result;
}

int WINAPI FollowingShowCursor(BOOL show)
{
    const int count = originalShowCursor(show);
    InterlockedExchange(&report->cursorCount, count);
    InterlockedIncrement(&report->cursorCalls);
    return count;
}

// The original, or null if the program does not import the function.
template <typename Function>
Function HookImport(const char* name, Function hook)
{
    void* original = ImportPatch::Patch(GetModuleHandleW(nullptr), name, reinterpret_cast<void*>(hook));
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(original));
}

ProbeReport* OpenReport()
{
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, ProbeReportName(GetCurrentProcessId()).c_str());
    if (!mapping)
        return nullptr;
    // Stays mapped for the life of the process.
    return static_cast<ProbeReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeReport)));
}
}

// Light enough for the loader lock: nothing here loads, waits or starts a thread.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    DisableThreadLibraryCalls(instance);
    report = OpenReport();
    if (!report)
        return FALSE;
    originalCreateDeviceAndSwapChain =
        HookImport("D3D11CreateDeviceAndSwapChain", &WatchingCreateDeviceAndSwapChain);
    originalDirectInput8Create = HookImport("DirectInput8Create", &WatchingDirectInput8Create);
    originalShowCursor = HookImport("ShowCursor", &FollowingShowCursor);
    InterlockedExchange(&report->state, originalCreateDeviceAndSwapChain ? ProbeReady : ProbeFailed);
    return TRUE;
}
