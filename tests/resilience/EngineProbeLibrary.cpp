// A test-only DLL loaded into a running Engine: counts the frames it presents
// and the DirectInput reads that find a device lost, and follows the cursor
// display count through the program's own ShowCursor calls, without changing
// what the program does. Present and GetDeviceState are swapped in the vtables
// that every object of their class shares; ShowCursor in the program's imports.
#include "ComMethods.h"
#include "EngineProbeReport.h"
#include "ImportPatch.h"
#include "PresentPatch.h"
#include "VtablePatch.h"

#define DIRECTINPUT_VERSION 0x0800
#include <d3d11.h>
#include <dinput.h>

namespace
{

HMODULE probeModule = nullptr;
EngineProbeReport* report = nullptr;

using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDXGISwapChain*, UINT, UINT);
using GetDeviceStateFunction = HRESULT(STDMETHODCALLTYPE*)(IDirectInputDevice8W*, DWORD, void*);
using ShowCursorFunction = int(WINAPI*)(BOOL);

ShowCursorFunction originalShowCursor = nullptr;

HRESULT STDMETHODCALLTYPE CountingPresent(IDXGISwapChain* chain, UINT syncInterval, UINT flags)
{
    InterlockedIncrement(&report->presents);
    return reinterpret_cast<PresentFunction>(VtablePatch::Original(chain, PresentPatch::Slot))(chain, syncInterval, flags);
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
    const bool hooked =
        FollowShowCursor() &&
        PresentPatch::Install(probeModule, L"VexeloEngineProbe", reinterpret_cast<void*>(&CountingPresent)) &&
        HookGetDeviceState();
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
