// stb_image's implementation, compiled once (stb_image_resize's is in
// StbImageResize.cpp).
// Memory comes from the caller's bytes only: no stdio in the decoder.
#define STBI_NO_STDIO
#include "StbAllocator.h"
#define STBI_MALLOC(size) StbAllocator::Allocate(size)
#define STBI_REALLOC(block, size) StbAllocator::Reallocate(block, size)
#define STBI_FREE(block) StbAllocator::Free(block)
// Formats no model's colour texture comes in, whose readers in stb 2.27 fail
// on broken files: a truncated run-length HDR scanline loops forever, and a
// 16-bit PNM read as four channels is read past its end.
#define STBI_NO_HDR
#define STBI_NO_PNM
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
