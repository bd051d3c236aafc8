// The implementations of the stb headers the converter uses, compiled once.
// Memory comes from the caller's bytes only: no stdio in the decoder.
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
