#pragma once

#include <cstddef>

// Replaces one method in a COM object's vtable until destroyed. Every object
// of the same implementation shares the vtable, so objects created later by
// the code under test are affected too: that is how their calls are made to fail.
class VtableHook
{
public:
    VtableHook(void* object, size_t index, void* replacement);
    ~VtableHook();
    VtableHook(const VtableHook&) = delete;
    VtableHook& operator=(const VtableHook&) = delete;

    bool Ok() const { return slot != nullptr; }
    // The method that was replaced, to call through to it.
    void* Original() const { return original; }

private:
    bool Swap(void* value);

    void** slot = nullptr;
    void* original = nullptr;
};
