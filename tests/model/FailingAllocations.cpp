#include "FailingAllocations.h"

#include <new>

namespace
{
int attempts = 0;
int failFrom = 0; // 0: never fail

bool ShouldFail()
{
    ++attempts;
    return failFrom > 0 && attempts >= failFrom;
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
    return attempts;
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
