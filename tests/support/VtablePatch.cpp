#include "VtablePatch.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace
{
struct PatchedSlot
{
    void** vtable;
    unsigned slot;
    void* original;
};

// Fixed room, filled once and never shrunk: readers need no lock and nothing allocates.
const unsigned MaxPatches = 256;
PatchedSlot patches[MaxPatches];
std::atomic<unsigned> patchCount{0};
std::mutex writers;

void** VtableOf(void* object)
{
    return *static_cast<void***>(object);
}

const PatchedSlot* Find(void** vtable, unsigned slot)
{
    const unsigned count = patchCount.load(std::memory_order_acquire);
    for (unsigned i = 0; i < count; ++i)
        if (patches[i].vtable == vtable && patches[i].slot == slot)
            return &patches[i];
    return nullptr;
}

bool Write(void** entry, void* value)
{
    DWORD oldProtection = 0;
    if (!VirtualProtect(entry, sizeof(void*), PAGE_EXECUTE_READWRITE, &oldProtection))
        return false;
    *entry = value;
    VirtualProtect(entry, sizeof(void*), oldProtection, &oldProtection);
    return true;
}
}

bool VtablePatch::Patch(void* object, unsigned slot, void* hook)
{
    std::lock_guard<std::mutex> lock(writers);
    void** vtable = VtableOf(object);
    if (Find(vtable, slot))
        return true;
    const unsigned count = patchCount.load(std::memory_order_relaxed);
    if (count == MaxPatches)
        return false;
    // The original is published before the hook can run.
    patches[count] = PatchedSlot{vtable, slot, vtable[slot]};
    patchCount.store(count + 1, std::memory_order_release);
    return Write(&vtable[slot], hook);
}

void* VtablePatch::Original(void* object, unsigned slot)
{
    void** vtable = VtableOf(object);
    const PatchedSlot* patched = Find(vtable, slot);
    return patched ? patched->original : vtable[slot];
}
