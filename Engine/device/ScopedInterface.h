#pragma once

// Holds one reference to a temporary COM interface and releases it when the
// scope ends, so every way out of a set-up step lets go of it.
template <typename T>
class ScopedInterface
{
public:
    ScopedInterface() = default;
    ~ScopedInterface()
    {
        if (pointer)
            pointer->Release();
    }
    ScopedInterface(const ScopedInterface&) = delete;
    ScopedInterface& operator=(const ScopedInterface&) = delete;

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }

    // Out-parameter address for a creating call; only used on an empty holder.
    T** Put() { return &pointer; }

private:
    T* pointer = nullptr;
};
