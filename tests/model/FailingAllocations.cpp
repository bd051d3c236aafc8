#include "FailingAllocations.h"

#include <atomic>
#include <new>

namespace
{
std::atomic<int> attempts(0);
std::atomic<int> failFrom(0); // 0: never fail

bool ShouldFail()
{
    const int attempt = ++attempts;
    const int first = failFrom.load();
    return first > 0 && attempt >= first;
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

// As the library's own versions: the ordinary allocation, with its failure
// turned into null, so the ordinary delete releases what these return.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (ShouldFail())
        return nullptr;
    try
    {
        return ::operator new(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (ShouldFail())
        return nullptr;
    try
    {
        return ::operator new[](size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
