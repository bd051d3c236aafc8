#include "ImportPatch.h"

#include <cstring>

namespace
{
template <typename T>
T* At(HMODULE module, DWORD offset)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

const IMAGE_IMPORT_DESCRIPTOR* FirstImport(HMODULE module)
{
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const IMAGE_NT_HEADERS* headers = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    return imports.VirtualAddress ? At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress) : nullptr;
}

bool NamesFunction(HMODULE module, const IMAGE_THUNK_DATA& name, const char* functionName)
{
    if (IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal))
        return false;
    const IMAGE_IMPORT_BY_NAME* byName = At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(name.u1.AddressOfData));
    return std::strcmp(reinterpret_cast<const char*>(byName->Name), functionName) == 0;
}

void* Replace(ULONG_PTR& entry, void* replacement)
{
    void* previous = reinterpret_cast<void*>(entry);
    DWORD oldProtection = 0;
    if (!VirtualProtect(&entry, sizeof(entry), PAGE_READWRITE, &oldProtection))
        return nullptr;
    entry = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(&entry, sizeof(entry), oldProtection, &oldProtection);
    return previous;
}
}

void* ImportPatch::Patch(HMODULE module, const char* functionName, void* replacement)
{
    void* original = nullptr;
    for (const IMAGE_IMPORT_DESCRIPTOR* library = FirstImport(module); library && library->Name; ++library)
    {
        // Without the lookup table the names are gone; such modules are not patched.
        if (!library->OriginalFirstThunk)
            continue;
        const IMAGE_THUNK_DATA* name = At<IMAGE_THUNK_DATA>(module, library->OriginalFirstThunk);
        IMAGE_THUNK_DATA* address = At<IMAGE_THUNK_DATA>(module, library->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++address)
        {
            if (!NamesFunction(module, *name, functionName) ||
                address->u1.Function == reinterpret_cast<ULONG_PTR>(replacement))
                continue;
            void* previous = Replace(address->u1.Function, replacement);
            if (!original)
                original = previous;
        }
    }
    return original;
}

