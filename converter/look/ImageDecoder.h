#pragma once
#include "Image.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Turns the bytes of an image file into texels, by content: SGI (SgiImage),
// DDS (DdsImage), and PNG, JPEG, TGA, BMP, GIF, PSD and PIC with stb_image.
// The bytes are untrusted: the size is read from the header and checked
// against the caps before anything is allocated.
class ImageDecoder
{
public:
    static const int MaxSide = 16384;
    static const std::int64_t MaxTexels = std::int64_t(1) << 26; // 256 MB decoded

    // False, with the cause in why, when the bytes are no image the
    // converter reads or the image is larger than the caps.
    static bool ReadSize(const std::uint8_t* bytes, std::size_t size, int& width, int& height, std::string& why);
    static bool Decode(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& why);

    // Texels stored blue, green, red, alpha (as models embed them raw).
    static bool FromBgra(const std::uint8_t* bgra, int width, int height, Image& image, std::string& why);

    static bool WithinCaps(std::int64_t width, std::int64_t height, std::string& why);
};
