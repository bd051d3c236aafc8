// What the image code needs to know about the DXGI formats it accepts: the
// storage size of a texel or block, and how to average texels when mip
// levels are generated. Portable: formats are plain DXGI_FORMAT numbers.
#ifndef VEXELO_PIXELFORMATTABLE_H
#define VEXELO_PIXELFORMATTABLE_H

#include <cstdint>

namespace DxgiFormat
{
// The DXGI_FORMAT values this code names (checked against dxgiformat.h
// where Windows headers are at hand).
const uint32_t Unknown = 0;
const uint32_t R32G32B32A32Typeless = 1;
const uint32_t R32G32B32A32Float = 2;
const uint32_t R16G16B16A16Float = 10;
const uint32_t R16G16B16A16Unorm = 11;
const uint32_t R16G16B16A16Snorm = 13;
const uint32_t R32G32Float = 16;
const uint32_t R10G10B10A2Unorm = 24;
const uint32_t R8G8B8A8Typeless = 27;
const uint32_t R8G8B8A8Unorm = 28;
const uint32_t R16G16Float = 34;
const uint32_t R16G16Unorm = 35;
const uint32_t R32Float = 41;
const uint32_t R16Float = 54;
const uint32_t A8Unorm = 65;
const uint32_t BC1Unorm = 71;
const uint32_t BC2Unorm = 74;
const uint32_t BC3Unorm = 77;
const uint32_t BC4Unorm = 80;
const uint32_t BC4Snorm = 81;
const uint32_t BC5Unorm = 83;
const uint32_t BC5Snorm = 84;
const uint32_t B5G6R5Unorm = 85;
const uint32_t B5G5R5A1Unorm = 86;
const uint32_t B8G8R8A8Unorm = 87;
const uint32_t B8G8R8X8Unorm = 88;
const uint32_t BC7Typeless = 97;
const uint32_t BC7Unorm = 98;
const uint32_t B4G4R4A4Unorm = 115;
}

// How the channels of a texel are averaged; None marks packed formats and
// blocks, whose missing mip levels are not generated.
enum class ChannelKind
{
    None,
    Unorm,
    Snorm,
    Uint,
    Sint,
    Float
};

struct PixelFormatInfo
{
    uint32_t format;
    uint32_t bitsPerPixel;   // 0 for block-compressed formats
    uint32_t blockBytes;     // bytes per 4 x 4 block, 0 for other formats
    ChannelKind kind;
    uint32_t channelCount;
    uint32_t channelBytes;
};

class PixelFormatTable
{
public:
    // The description of a format that can be loaded into a 2D texture, or
    // null for typeless, depth, video, palettized and unknown formats.
    static const PixelFormatInfo* Find(uint32_t format);

    // The member of a typeless family that a texture is made with so that it
    // can be sampled (UNORM where the family has one); other formats as they
    // are. Depth families stay typeless.
    static uint32_t Typed(uint32_t format);

    static bool IsBlockCompressed(const PixelFormatInfo& info) { return info.blockBytes != 0; }
    static bool CanFilter(const PixelFormatInfo& info) { return info.kind != ChannelKind::None; }

    // Bytes in one row of texels (or of blocks) and the number of such rows
    // at the given size, in 64-bit arithmetic.
    static uint64_t RowBytes(const PixelFormatInfo& info, uint32_t width);
    static uint64_t RowCount(const PixelFormatInfo& info, uint32_t height);
};

#endif
