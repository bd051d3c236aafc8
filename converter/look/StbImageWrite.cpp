// stb_image_write, for the programs that make images to feed the converter
// (the fuzz seeds, the benchmark's textures); the converter only reads them.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
