#pragma once

// Releases an owned COM reference if there is one and forgets it, so a
// Shutdown can run after any partial set-up and run twice.
template <typename T>
void ReleaseInterface(T*& object)
{
    if (object)
    {
        object->Release();
        object = nullptr;
    }
}
