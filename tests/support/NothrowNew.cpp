// The nothrow forms of new, replaced so the fault injection can count and fail them.
#include "CallLedger.h"

#include <cstddef>
#include <new>

void LinkNothrowNew()
{
}

namespace
{
template <bool IsArray>
void* Allocate(std::size_t size, const char* callName)
{
    long failure = 0;
    if (CallLedger::Instance().Record(callName, 0, failure))
        return nullptr;
    // As the library's own nothrow forms do: the plain forms, whose failure is caught here.
    try
    {
        return IsArray ? ::operator new[](size) : ::operator new(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate<false>(size, "operator new");
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate<true>(size, "operator new[]");
}
