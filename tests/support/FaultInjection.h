#pragma once

#include <d3d11.h>
#include <dxgi.h>

#include <string>
#include <utility>
#include <vector>

struct IDirectInput8W;

// Makes the k-th "creating call" of a set-up fail, to reach every failure path; counts the
// calls, and keeps the root objects so a test can check that everything was released.
//
// Counted: the imports CreateDXGIFactory(1), D3D11CreateDevice(AndSwapChain), DirectInput8Create,
// D3DCompile and CoCreateInstance of this executable; the creating methods of the DXGI factory,
// adapter, output and swap chain, of ID3D11Device, ID3D11DeviceContext::Map, of IDirectInput8W
// and IDirectInputDevice8W ("ID3D11Device::CreateBuffer", ...); and allocations through the
// nothrow forms of new ("operator new", "operator new[]"), which then return null. Methods are
// counted for objects created after Install (their vtables are hooked as they appear; HookObject
// catches earlier ones) and only when called from this executable: calls Wine makes inside
// its own DLLs through the same vtables pass through uncounted. A failed call behaves like
// a real failure: out-pointers nulled, nothing created, the failure code returned (E_FAIL;
// DIERR_OTHERAPPHASPRIO for Acquire).
//
// Recorded with their arguments, for what a program asks of the platform that cannot be read
// back: the requests of D3DCompile, ChangeDisplaySettingsW (neither is counted) and
// ID3D11Device::CreateSamplerState.
class FaultInjection
{
public:
    struct CompileRequest
    {
        std::string entryPoint;
        std::string profile;
        UINT flags1;
        UINT flags2;
        bool defines;  // a macro list was given
        bool include;  // an include handler was given
    };
    struct DisplayModeRequest
    {
        bool mode;  // false: back to the registry's mode
        DEVMODEW requested;
        DWORD flags;
    };

    static void Install();  // idempotent; hooks this executable's imports
    static void Arm(int failAt);  // from now, count creating calls; the failAt-th (1-based) fails; 0 = only count
    static void Disarm();         // stop counting and failing (the log stays until the next Arm)
    static int Count();           // creating calls counted since Arm
    static std::vector<std::string> Calls();  // their names in order, e.g. "ID3D11Device::CreateBuffer"
    static std::string FailedCall();          // name of the call failed by Arm, or empty
    // Calls of hooked methods made inside the platform's own DLLs since Arm: passed through,
    // neither counted nor failed.
    static int InternalCalls();
    // One-shot results for specific calls regardless of arming, e.g. to make the next keyboard
    // read report a lost device: FailNext("IDirectInputDevice8W::GetDeviceState", DIERR_INPUTLOST).
    // The call is not made. times <= 0 cancels what is pending for that call.
    static void FailNext(const std::string& callName, HRESULT result, int times = 1);
    static ULONG RefCount(IUnknown* object);  // AddRef + Release

    // What was asked for since the last Arm (or Install), in order.
    static std::vector<CompileRequest> Compiles();
    static std::vector<DisplayModeRequest> DisplayModes();
    static std::vector<D3D11_SAMPLER_DESC> Samplers();

    // Hooks the creating methods of an object made before Install (a device, context, swap
    // chain, factory, adapter, output, DirectInput or DirectInput device).
    static void HookObject(IUnknown* object);

    // The last root objects created through the hooked imports since Install or the last Arm.
    // Borrowed: valid only while somebody holds them (see HoldRoots).
    static ID3D11Device* LastDevice();
    static IDXGISwapChain* LastSwapChain();
    static IDirectInput8W* LastDirectInput();

    // While on, every root created through the hooked imports gets one extra reference held
    // here, so it outlives the code under test.
    static void HoldRoots(bool hold);
    // Releases the held references (swap chains first, as they hold their device) and returns
    // each root's interface name with the count its Release returned: 0 means everything the
    // code under test created from it was released too.
    static std::vector<std::pair<std::string, ULONG>> ReleaseHeldRoots();
};
