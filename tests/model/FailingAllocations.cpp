#include "FailingAllocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<int> attempts(0);
std::atomic<int> failFrom(0); // 0: never fail

void* Allocate(std::size_t size)
{
    const int attempt = ++attempts;
    const int first = failFrom.load();
    if (first > 0 && attempt >= first)
        return nullptr;
    // The library's operator new takes memory from malloc too, so the
    // ordinary delete releases this correctly.
    return std::malloc(size > 0 ? size : 1);
}
}

void FailingAllocations::FailFrom(int n)
{
    attempts = 0;
    failFrom = n;
}

void FailingAllocations::Reset()
{
    attempts = 0;
    failFrom = 0;
}

int FailingAllocations::Attempts()
{
    return attempts.load();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
