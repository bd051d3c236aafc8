#pragma once

// Minimal owning COM pointer for tests (Release on destruction).
template <typename T>
class ComPtr
{
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

    // Address for an out-parameter; releases what was held.
    T** Put()
    {
        Reset();
        return &pointer;
    }

    void Reset()
    {
        if (pointer)
            pointer->Release();
        pointer = nullptr;
    }

private:
    T* pointer = nullptr;
};
