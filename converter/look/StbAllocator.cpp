#include "StbAllocator.h"

#include <cstdlib>

namespace
{
thread_local std::size_t limit = StbAllocator::HeaderLimit;
}

// Zeroed: stb 2.27 decodes a JPEG scan with a Huffman table no DHT defined,
// from whatever memory holds, and garbage there sends it reading far out of
// bounds. A zeroed table decodes every code as 0, without reading past it.
void* StbAllocator::Allocate(std::size_t size)
{
    return size <= limit ? std::calloc(1, size) : nullptr;
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
