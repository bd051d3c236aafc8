#pragma once
#include <cstddef>

// Where stb_image's memory comes from: zeroed blocks, none larger than the
// limit of the thread, so that what an image file makes the decoder allocate
// is bounded by its header's size and its own length, not by the length a
// PNG chunk claims or by how far its compressed data inflates.
class StbAllocator
{
public:
    static void* Allocate(std::size_t size);
    static void* Reallocate(void* block, std::size_t size);
    static void Free(void* block);

    // Returns the limit it replaces.
    static std::size_t SetLimit(std::size_t largestBlock);

    // Enough for reading a header: the decoder's own state.
    static const std::size_t HeaderLimit = std::size_t(1) << 20;
};
