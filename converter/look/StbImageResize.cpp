// stb_image_resize's implementation, apart from stb_image's: it takes no
// bytes from a file, so the fuzz targets leave its comparisons untraced.
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
