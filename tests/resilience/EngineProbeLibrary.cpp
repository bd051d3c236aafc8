// A test-only DLL loaded into a running Engine: counts the frames it presents
// and the DirectInput reads that find a device lost, and follows the cursor
// display count through the program's own ShowCursor calls, without changing
// what the program does. Present and GetDeviceState are swapped in the vtables
// that every object of their class shares; ShowCursor in the program's imports.
#include "ComMethods.h"
#include "EngineProbeReport.h"
#include "ImportPatch.h"
#include "VtablePatch.h"

#define DIRECTINPUT_VERSION 0x0800
#include <d3d11.h>
#include <dinput.h>

namespace
{
const unsigned PresentSlot = 8;  // after IUnknown, IDXGIObject and IDXGIDeviceSubObject

HMODULE probeModule = nullptr;
EngineProbeReport* report = nullptr;

using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDXGISwapChain*, UINT, UINT);
using GetDeviceStateFunction = HRESULT(STDMETHODCALLTYPE*)(IDirectInputDevice8W*, DWORD, void*);
using ShowCursorFunction = int(WINAPI*)(BOOL);

ShowCursorFunction originalShowCursor = nullptr;

HRESULT STDMETHODCALLTYPE CountingPresent(IDXGISwapChain* chain, UINT syncInterval, UINT flags)
{
    InterlockedIncrement(&report->presents);
    return reinterpret_cast<PresentFunction>(VtablePatch::Original(chain, PresentSlot))(chain, syncInterval, flags);
}

HRESULT STDMETHODCALLTYPE CountingGetDeviceState(IDirectInputDevice8W* device, DWORD size, void* state)
{
    const unsigned slot = ComMethods[ComMethodInputDeviceGetDeviceState].slot;
    const HRESULT result =
        reinterpret_cast<GetDeviceStateFunction>(VtablePatch::Original(device, slot))(device, size, state);
    if (SUCCEEDED(result))
        InterlockedIncrement(&report->readsTaken);
    else if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED)
        InterlockedIncrement(&report->readsLost);
    return result;
}

// Runs on the program's own thread, whose count it is.
int WINAPI FollowingShowCursor(BOOL show)
{
    const int count = originalShowCursor(show);
    InterlockedExchange(&report->cursorCount, count);
    InterlockedIncrement(&report->cursorCalls);
    return count;
}

EngineProbeReport* OpenReport()
{
    HANDLE mapping =
        OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, EngineProbeReportName(GetCurrentProcessId()).c_str());
    if (!mapping)
        return nullptr;
    // Stays mapped for the life of the process.
    return static_cast<EngineProbeReport*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(EngineProbeReport)));
}

bool FollowShowCursor()
{
    originalShowCursor = reinterpret_cast<ShowCursorFunction>(reinterpret_cast<void (*)()>(
        ImportPatch::Patch(GetModuleHandleW(nullptr), "ShowCursor", reinterpret_cast<void*>(&FollowingShowCursor))));
    return originalShowCursor != nullptr;
}

// A throw-away swap chain of our own shows where the shared vtable is.
bool HookPresent()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = probeModule;
    windowClass.lpszClassName = L"VexeloEngineProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (!window)
        return false;

    DXGI_SWAP_CHAIN_DESC swapChainDesc = {};
    swapChainDesc.BufferCount = 1;
    swapChainDesc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    swapChainDesc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    swapChainDesc.OutputWindow = window;
    swapChainDesc.SampleDesc.Count = 1;
    swapChainDesc.Windowed = TRUE;
    IDXGISwapChain* swapChain = nullptr;
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    const HRESULT result =
        D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                      &swapChainDesc, &swapChain, &device, nullptr, &context);
    const bool hooked =
        SUCCEEDED(result) && VtablePatch::Patch(swapChain, PresentSlot, reinterpret_cast<void*>(&CountingPresent));
    if (swapChain)
        swapChain->Release();
    if (context)
        context->Release();
    if (device)
        device->Release();
    DestroyWindow(window);
    return hooked;
}

bool HookDeviceReads(IDirectInput8W* directInput, REFGUID deviceGuid)
{
    IDirectInputDevice8W* device = nullptr;
    if (FAILED(directInput->CreateDevice(deviceGuid, &device, nullptr)))
        return false;
    const bool hooked = VtablePatch::Patch(device, ComMethods[ComMethodInputDeviceGetDeviceState].slot,
                                           reinterpret_cast<void*>(&CountingGetDeviceState));
    device->Release();
    return hooked;
}

// Keyboard and mouse may have vtables of their own.
bool HookGetDeviceState()
{
    IDirectInput8W* directInput = nullptr;
    if (FAILED(DirectInput8Create(probeModule, DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                  reinterpret_cast<void**>(&directInput), nullptr)))
        return false;
    const bool hooked = HookDeviceReads(directInput, GUID_SysKeyboard) && HookDeviceReads(directInput, GUID_SysMouse);
    directInput->Release();
    return hooked;
}

DWORD WINAPI StartProbe(void*)
{
    report = OpenReport();
    if (!report)
        return 1;
    // The cursor first: a program on its way out calls ShowCursor at once.
    const bool hooked = FollowShowCursor() && HookPresent() && HookGetDeviceState();
    InterlockedExchange(&report->state, hooked ? EngineProbeCounting : EngineProbeFailed);
    return 0;
}
}

// Nothing heavy may run under the loader lock, so the work gets its own thread.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    probeModule = instance;
    DisableThreadLibraryCalls(instance);
    HANDLE thread = CreateThread(nullptr, 0, StartProbe, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    return TRUE;
}
