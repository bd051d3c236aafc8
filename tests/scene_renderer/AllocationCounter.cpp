#include "AllocationCounter.h"

#include "ImportPatch.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace
{
std::atomic<bool> counting{false};
std::atomic<long> news{0};
std::atomic<long> mallocs{0};

using MallocFunction = void*(__cdecl*)(size_t);
using CallocFunction = void*(__cdecl*)(size_t, size_t);
using ReallocFunction = void*(__cdecl*)(void*, size_t);
MallocFunction originalMalloc = nullptr;
CallocFunction originalCalloc = nullptr;
ReallocFunction originalRealloc = nullptr;

void CountMalloc()
{
    if (counting.load(std::memory_order_relaxed))
        mallocs.fetch_add(1, std::memory_order_relaxed);
}

void* __cdecl CountingMalloc(size_t size)
{
    CountMalloc();
    return originalMalloc(size);
}

void* __cdecl CountingCalloc(size_t count, size_t size)
{
    CountMalloc();
    return originalCalloc(count, size);
}

void* __cdecl CountingRealloc(void* block, size_t size)
{
    CountMalloc();
    return originalRealloc(block, size);
}

void* Allocate(size_t size) noexcept
{
    if (counting.load(std::memory_order_relaxed))
        news.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

void* AllocateAligned(size_t size, std::align_val_t alignment) noexcept
{
    if (counting.load(std::memory_order_relaxed))
        news.fetch_add(1, std::memory_order_relaxed);
    return _aligned_malloc(size ? size : 1, static_cast<size_t>(alignment));
}

// A test program out of memory has nothing to recover.
void* AllocateOrAbort(void* memory)
{
    if (!memory)
        std::abort();
    return memory;
}
}

bool AllocationCounter::HookCRuntime()
{
    const HMODULE program = GetModuleHandleW(nullptr);
    if (!originalMalloc)
        originalMalloc = reinterpret_cast<MallocFunction>(
            ImportPatch::Patch(program, "malloc", reinterpret_cast<void*>(&CountingMalloc)));
    if (!originalCalloc)
        originalCalloc = reinterpret_cast<CallocFunction>(
            ImportPatch::Patch(program, "calloc", reinterpret_cast<void*>(&CountingCalloc)));
    if (!originalRealloc)
        originalRealloc = reinterpret_cast<ReallocFunction>(
            ImportPatch::Patch(program, "realloc", reinterpret_cast<void*>(&CountingRealloc)));
    return originalMalloc || originalCalloc || originalRealloc;
}

void AllocationCounter::Start()
{
    news = 0;
    mallocs = 0;
    counting = true;
}

void AllocationCounter::Stop()
{
    counting = false;
}

long AllocationCounter::News()
{
    return news.load();
}

long AllocationCounter::Mallocs()
{
    return mallocs.load();
}

void* operator new(size_t size)
{
    return AllocateOrAbort(Allocate(size));
}

void* operator new[](size_t size)
{
    return AllocateOrAbort(Allocate(size));
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new(size_t size, std::align_val_t alignment)
{
    return AllocateOrAbort(AllocateAligned(size, alignment));
}

void* operator new[](size_t size, std::align_val_t alignment)
{
    return AllocateOrAbort(AllocateAligned(size, alignment));
}

void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment);
}

void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::align_val_t) noexcept
{
    _aligned_free(memory);
}

void operator delete[](void* memory, std::align_val_t) noexcept
{
    _aligned_free(memory);
}

void operator delete(void* memory, size_t, std::align_val_t) noexcept
{
    _aligned_free(memory);
}

void operator delete[](void* memory, size_t, std::align_val_t) noexcept
{
    _aligned_free(memory);
}

void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    _aligned_free(memory);
}

void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    _aligned_free(memory);
}
