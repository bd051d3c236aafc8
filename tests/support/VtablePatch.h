#pragma once

// Redirects single slots of COM vtables. All objects of one class share a vtable, so one
// patch covers every object of that class; the original of each patched slot is kept per
// vtable, as different classes can implement the same interface.
class VtablePatch
{
public:
    // Points the slot of the object's vtable at hook (once per vtable and slot); false if
    // the vtable could not be written or the table of patches is full.
    static bool Patch(void* object, unsigned slot, void* hook);
    // What the slot held before it was patched, for the object's vtable.
    static void* Original(void* object, unsigned slot);
};
