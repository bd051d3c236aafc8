#pragma once

#include <windows.h>

// Replaces IDXGISwapChain::Present for every swap chain of the process (they
// share one vtable), for probes that count a program's frames.
class PresentPatch
{
public:
    static const unsigned Slot = 8;  // after IUnknown, IDXGIObject and IDXGIDeviceSubObject

    // Finds the shared vtable through a throw-away swap chain on a window of the
    // given class, registered in `module`, and patches its Present slot.
    static bool Install(HMODULE module, const wchar_t* className, void* replacement);
};
