#include "VtableHook.h"

#include <windows.h>

VtableHook::VtableHook(void* object, size_t index, void* replacement)
{
    if (!object)
        return;
    void** table = *static_cast<void***>(object);
    slot = table + index;
    original = *slot;
    if (!Swap(replacement))
        slot = nullptr;
}

VtableHook::~VtableHook()
{
    if (slot)
        Swap(original);
}

// Vtables live in read-only data.
bool VtableHook::Swap(void* value)
{
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection))
        return false;
    *slot = value;
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof(void*), protection, &ignored);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof(void*));
    return true;
}
