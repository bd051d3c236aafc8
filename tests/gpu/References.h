#pragma once

#include <unknwn.h>

// The COM reference count of an object, read without changing it.
inline ULONG ReferenceCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}
