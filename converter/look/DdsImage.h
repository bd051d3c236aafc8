#pragma once
#include "Image.h"

#include <cstddef>
#include <cstdint>
#include <string>

class DdsFile;

// A DDS texture a material names, read with the project's own DDS parsing
// (d3dx/portable), so the same checks hold as for Engine's textures. Its top
// level of the first image is baked: an array's first slice, a cube map's
// first face, a volume's first slice. Texels become display values:
// - unsigned normalized formats as stored (sRGB ones too: their bytes are
//   display values already); a single channel, red or alpha alone, grey;
// - float formats are linear light, clamped to 0 to 1 and encoded with the
//   sRGB curve, as glTF's colours are;
// - BC1 to BC3 blocks decoded by libsquish, BC4 and BC5 as its BC3 alpha.
// Signed and integer formats hold data other than colours (normals,
// offsets, indices), and no library here decodes BC6H or BC7: those are
// refused, naming the format.
class DdsImage
{
public:
    static bool Recognises(const std::uint8_t* bytes, std::size_t size);

    // False, with the cause in why, for a file the project's DDS reader
    // refuses, a format that is not baked, or a size past the caps.
    static bool ReadSize(const std::uint8_t* bytes, std::size_t size, int& width, int& height, std::string& why);
    static bool Decode(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& why);

private:
    static bool Parse(const std::uint8_t* bytes, std::size_t size, DdsFile& dds, std::string& why);
    static void DecodeBlocks(const DdsFile& dds, const std::uint8_t* bytes, Image& image);
    static void DecodeRows(const DdsFile& dds, const std::uint8_t* bytes, Image& image);
};
