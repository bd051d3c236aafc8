#include "StbAllocator.h"

#include <cstdlib>

namespace
{
thread_local std::size_t limit = StbAllocator::HeaderLimit;
}

void* StbAllocator::Allocate(std::size_t size)
{
    return size <= limit ? std::malloc(size) : nullptr;
}

void* StbAllocator::Reallocate(void* block, std::size_t size)
{
    return size <= limit ? std::realloc(block, size) : nullptr;
}

void StbAllocator::Free(void* block)
{
    std::free(block);
}

std::size_t StbAllocator::SetLimit(std::size_t largestBlock)
{
    const std::size_t previous = limit;
    limit = largestBlock;
    return previous;
}
