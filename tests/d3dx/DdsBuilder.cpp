#include "DdsBuilder.h"

DdsBuilder DdsBuilder::FourCC(uint32_t code)
{
    DdsBuilder builder;
    builder.pfFlags = PfFourCC;
    builder.fourCC = code;
    return builder;
}

DdsBuilder DdsBuilder::FourCC(const char (&code)[5])
{
    return FourCC(static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
                  static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
                  static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
                  static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24);
}

DdsBuilder DdsBuilder::Masks(uint32_t flags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    DdsBuilder builder;
    builder.pfFlags = flags;
    builder.bitCount = bits;
    builder.masks[0] = r;
    builder.masks[1] = g;
    builder.masks[2] = b;
    builder.masks[3] = a;
    return builder;
}

DdsBuilder DdsBuilder::Dx10(uint32_t format)
{
    DdsBuilder builder = FourCC("DX10");
    builder.dx10 = true;
    builder.dxgiFormat = format;
    return builder;
}

DdsBuilder& DdsBuilder::Size(uint32_t w, uint32_t h)
{
    width = w;
    height = h;
    return *this;
}

DdsBuilder& DdsBuilder::Mips(uint32_t count)
{
    mips = count;
    return *this;
}

DdsBuilder& DdsBuilder::Caps2(uint32_t value)
{
    caps2 = value;
    return *this;
}

DdsBuilder& DdsBuilder::Depth(uint32_t value)
{
    depth = value;
    return *this;
}

DdsBuilder& DdsBuilder::Extended(uint32_t dim, uint32_t misc, uint32_t array)
{
    dimension = dim;
    miscFlag = misc;
    arraySize = array;
    return *this;
}

void DdsBuilder::Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> DdsBuilder::Build(const std::vector<uint8_t>& payload) const
{
    std::vector<uint8_t> bytes(128 + (dx10 ? 20 : 0), 0);
    Put32(bytes, 0, 0x20534444);
    Put32(bytes, 4, 124);
    // caps, height, width, pixel format, mip count, depth
    Put32(bytes, 8, 0x1 | 0x2 | 0x4 | 0x1000 | (mips > 1 ? 0x20000 : 0) | (depth ? 0x800000 : 0));
    Put32(bytes, 12, height);
    Put32(bytes, 16, width);
    Put32(bytes, 24, depth);
    Put32(bytes, 28, mips);
    Put32(bytes, 76, 32);
    Put32(bytes, 80, pfFlags);
    Put32(bytes, 84, fourCC);
    Put32(bytes, 88, bitCount);
    for (int i = 0; i < 4; ++i)
        Put32(bytes, 92 + 4 * i, masks[i]);
    Put32(bytes, 108, 0x1000 | (mips > 1 ? 0x400008 : 0));  // texture, mip map, complex
    Put32(bytes, 112, caps2);
    if (dx10)
    {
        Put32(bytes, 128, dxgiFormat);
        Put32(bytes, 132, dimension);
        Put32(bytes, 136, miscFlag);
        Put32(bytes, 140, arraySize);
    }
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::vector<uint8_t> PatternBytes(size_t count, uint32_t seed)
{
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : bytes)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

std::vector<RefusedDds> RefusedDdsFiles()
{
    using B = DdsBuilder;
    const std::vector<uint8_t> plenty = PatternBytes(20000, 9);
    const B rgba8 = B::Dx10(28);
    const B p8 = B::Masks(B::PfPalette8, 8, 0, 0, 0, 0);
    const uint32_t cube = 0x4;
    return {
        {"65535 x 65535", B(rgba8).Size(65535, 65535).Build(plenty)},
        {"16385 wide", B(rgba8).Size(16385, 1).Build(PatternBytes(16385 * 4, 1))},
        {"0 wide", B(rgba8).Size(0, 4).Build(plenty)},
        {"100 levels", B(rgba8).Size(4, 4).Mips(100).Build(plenty)},
        {"every size 2^32-1", B::FourCC("DXT1").Size(0xFFFFFFFF, 0xFFFFFFFF).Mips(0xFFFFFFFF).Build(plenty)},
        {"depth-stencil format", B::Dx10(44).Build(plenty)},
        {"format 2^32-1", B::Dx10(0xFFFFFFFF).Build(plenty)},
        {"unknown FourCC", B::FourCC("JUNK").Build(plenty)},
        {"luminance mask wider than the texel", B::Masks(B::PfLuminance, 8, 0xFFFF, 0, 0, 0).Build(plenty)},
        {"luminance mask in green only", B::Masks(B::PfLuminance, 16, 0xFF, 0xFF, 0, 0xFF00).Build(plenty)},
        {"A8P8 alpha in the low byte", B::Masks(B::PfPalette8, 16, 0, 0, 0, 0xFF).Build(plenty)},
        {"palette cut short", B(p8).Build(PatternBytes(1000, 2))},
        {"indices cut short", B(p8).Build(PatternBytes(1024 + 15, 2))},
        {"five faces", B::FourCC("DXT1").Caps2(0x200 | 0x7C00).Build(plenty)},
        {"five faces' data", B::FourCC("DXT1").Caps2(B::Caps2Cube).Build(PatternBytes(5 * 8, 3))},
        {"cube and volume", B::FourCC("DXT1").Caps2(B::Caps2Cube | B::Caps2Volume).Depth(2).Build(plenty)},
        {"cube flag and volume", B(rgba8).Extended(0, cube, 1).Caps2(B::Caps2Volume).Depth(2).Build(plenty)},
        {"cube not square", B(rgba8).Size(8, 4).Extended(3, cube, 1).Build(plenty)},
        {"cube flag in a volume", B(rgba8).Extended(4, cube, 1).Build(plenty)},
        {"volume short of a slice", B(rgba8).Extended(4, 0, 1).Depth(4).Build(PatternBytes(3 * 64, 4))},
        {"array of volumes", B(rgba8).Extended(4, 0, 2).Depth(2).Build(plenty)},
        {"array of 2049", B(rgba8).Size(1, 1).Extended(3, 0, 2049).Build(plenty)},
        {"array of 2^32-1", B(rgba8).Extended(3, 0, 0xFFFFFFFF).Build(plenty)},
        {"342 cubes", B(rgba8).Size(1, 1).Extended(3, cube, 342).Build(plenty)},
        {"cubes past 32 bits", B(rgba8).Size(1, 1).Extended(3, cube, 0x2AAAAAAB).Build(plenty)},
        {"volume 2049 deep", B(rgba8).Size(1, 1).Extended(0, 0, 1).Caps2(B::Caps2Volume).Depth(2049).Build(plenty)},
        {"volume 2049 wide", B(rgba8).Size(2049, 1).Extended(4, 0, 1).Build(plenty)},
        {"levels beyond a volume's chain", B(rgba8).Size(4, 4).Mips(5).Extended(4, 0, 1).Depth(8).Build(plenty)},
        {"dimension 1D", B(rgba8).Extended(2, 0, 1).Build(plenty)},
        {"dimension 5", B(rgba8).Extended(5, 0, 1).Build(plenty)},
    };
}
