#include "PixelFormatTable.h"

namespace
{
const ChannelKind None = ChannelKind::None;
const ChannelKind Unorm = ChannelKind::Unorm;
const ChannelKind Snorm = ChannelKind::Snorm;
const ChannelKind Uint = ChannelKind::Uint;
const ChannelKind Sint = ChannelKind::Sint;
const ChannelKind Float = ChannelKind::Float;

const PixelFormatInfo Formats[] = {
    {2, 128, 0, Float, 4, 4},   // R32G32B32A32_FLOAT
    {3, 128, 0, Uint, 4, 4},
    {4, 128, 0, Sint, 4, 4},
    {6, 96, 0, Float, 3, 4},    // R32G32B32_FLOAT
    {7, 96, 0, Uint, 3, 4},
    {8, 96, 0, Sint, 3, 4},
    {10, 64, 0, Float, 4, 2},   // R16G16B16A16_FLOAT
    {11, 64, 0, Unorm, 4, 2},
    {12, 64, 0, Uint, 4, 2},
    {13, 64, 0, Snorm, 4, 2},
    {14, 64, 0, Sint, 4, 2},
    {16, 64, 0, Float, 2, 4},   // R32G32_FLOAT
    {17, 64, 0, Uint, 2, 4},
    {18, 64, 0, Sint, 2, 4},
    {24, 32, 0, None, 0, 0},    // R10G10B10A2_UNORM
    {25, 32, 0, None, 0, 0},
    {26, 32, 0, None, 0, 0},    // R11G11B10_FLOAT
    {28, 32, 0, Unorm, 4, 1},   // R8G8B8A8_UNORM
    {29, 32, 0, Unorm, 4, 1},   // _SRGB: averaged as stored
    {30, 32, 0, Uint, 4, 1},
    {31, 32, 0, Snorm, 4, 1},
    {32, 32, 0, Sint, 4, 1},
    {34, 32, 0, Float, 2, 2},   // R16G16_FLOAT
    {35, 32, 0, Unorm, 2, 2},
    {36, 32, 0, Uint, 2, 2},
    {37, 32, 0, Snorm, 2, 2},
    {38, 32, 0, Sint, 2, 2},
    {41, 32, 0, Float, 1, 4},   // R32_FLOAT
    {42, 32, 0, Uint, 1, 4},
    {43, 32, 0, Sint, 1, 4},
    {49, 16, 0, Unorm, 2, 1},   // R8G8_UNORM
    {50, 16, 0, Uint, 2, 1},
    {51, 16, 0, Snorm, 2, 1},
    {52, 16, 0, Sint, 2, 1},
    {54, 16, 0, Float, 1, 2},   // R16_FLOAT
    {56, 16, 0, Unorm, 1, 2},
    {57, 16, 0, Uint, 1, 2},
    {58, 16, 0, Snorm, 1, 2},
    {59, 16, 0, Sint, 1, 2},
    {61, 8, 0, Unorm, 1, 1},    // R8_UNORM
    {62, 8, 0, Uint, 1, 1},
    {63, 8, 0, Snorm, 1, 1},
    {64, 8, 0, Sint, 1, 1},
    {65, 8, 0, Unorm, 1, 1},    // A8_UNORM
    {67, 32, 0, None, 0, 0},    // R9G9B9E5_SHAREDEXP
    {71, 0, 8, None, 0, 0},     // BC1_UNORM
    {72, 0, 8, None, 0, 0},
    {74, 0, 16, None, 0, 0},    // BC2_UNORM
    {75, 0, 16, None, 0, 0},
    {77, 0, 16, None, 0, 0},    // BC3_UNORM
    {78, 0, 16, None, 0, 0},
    {80, 0, 8, None, 0, 0},     // BC4_UNORM
    {81, 0, 8, None, 0, 0},
    {83, 0, 16, None, 0, 0},    // BC5_UNORM
    {84, 0, 16, None, 0, 0},
    {85, 16, 0, None, 0, 0},    // B5G6R5_UNORM
    {86, 16, 0, None, 0, 0},    // B5G5R5A1_UNORM
    {87, 32, 0, Unorm, 4, 1},   // B8G8R8A8_UNORM
    {88, 32, 0, Unorm, 4, 1},   // B8G8R8X8_UNORM
    {91, 32, 0, Unorm, 4, 1},   // B8G8R8A8_UNORM_SRGB
    {93, 32, 0, Unorm, 4, 1},   // B8G8R8X8_UNORM_SRGB
    {95, 0, 16, None, 0, 0},    // BC6H_UF16
    {96, 0, 16, None, 0, 0},
    {98, 0, 16, None, 0, 0},    // BC7_UNORM
    {99, 0, 16, None, 0, 0},
    {115, 16, 0, None, 0, 0},   // B4G4R4A4_UNORM
};

// Typeless family, and the member it is sampled as.
const uint32_t TypedMembers[][2] = {
    {1, 2},    // R32G32B32A32: FLOAT
    {5, 6},    // R32G32B32: FLOAT
    {9, 11},   // R16G16B16A16: UNORM
    {15, 16},  // R32G32: FLOAT
    {23, 24},  // R10G10B10A2: UNORM
    {27, 28},  // R8G8B8A8: UNORM
    {33, 35},  // R16G16: UNORM
    {39, 41},  // R32: FLOAT
    {48, 49},  // R8G8: UNORM
    {53, 56},  // R16: UNORM
    {60, 61},  // R8: UNORM
    {70, 71},  // BC1 to BC5: UNORM
    {73, 74},
    {76, 77},
    {79, 80},
    {82, 83},
    {90, 87},  // B8G8R8A8: UNORM
    {92, 88},  // B8G8R8X8: UNORM
    {94, 95},  // BC6H: UF16
    {97, 98},  // BC7: UNORM
};
}

uint32_t PixelFormatTable::Typed(uint32_t format)
{
    for (const auto& member : TypedMembers)
        if (member[0] == format)
            return member[1];
    return format;
}

const PixelFormatInfo* PixelFormatTable::Find(uint32_t format)
{
    for (const PixelFormatInfo& info : Formats)
        if (info.format == format)
            return &info;
    return nullptr;
}

uint64_t PixelFormatTable::RowBytes(const PixelFormatInfo& info, uint32_t width)
{
    if (IsBlockCompressed(info))
    {
        const uint64_t blocks = (static_cast<uint64_t>(width) + 3) / 4;
        return (blocks > 0 ? blocks : 1) * info.blockBytes;
    }
    return (static_cast<uint64_t>(width) * info.bitsPerPixel + 7) / 8;
}

uint64_t PixelFormatTable::RowCount(const PixelFormatInfo& info, uint32_t height)
{
    if (IsBlockCompressed(info))
    {
        const uint64_t blocks = (static_cast<uint64_t>(height) + 3) / 4;
        return blocks > 0 ? blocks : 1;
    }
    return height;
}
