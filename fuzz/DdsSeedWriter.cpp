// Writes the DDS fuzzer's seed corpus into the folder named on the command
// line: a small file of every pixel layout the reader accepts, the sizes and
// chains its tests single out, cube maps, arrays, volumes, palettes and the
// spellings other writers use, and a few near misses it must refuse.
#include "DdsBuilder.h"
#include "SeedFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{
const uint32_t Rgb = DdsBuilder::PfRgb;
const uint32_t RgbAlpha = DdsBuilder::PfRgb | DdsBuilder::PfAlphaPixels;
const uint32_t Luminance = DdsBuilder::PfLuminance;

struct Layout
{
    const char* name;
    DdsBuilder builder;
    uint32_t bytesFor4x4;   // one 4 x 4 level
};

const Layout Layouts[] = {
    {"dxt1", DdsBuilder::FourCC("DXT1"), 8},
    {"dxt2", DdsBuilder::FourCC("DXT2"), 16},
    {"dxt3", DdsBuilder::FourCC("DXT3"), 16},
    {"dxt4", DdsBuilder::FourCC("DXT4"), 16},
    {"dxt5", DdsBuilder::FourCC("DXT5"), 16},
    {"ati1", DdsBuilder::FourCC("ATI1"), 8},
    {"bc4u", DdsBuilder::FourCC("BC4U"), 8},
    {"bc4s", DdsBuilder::FourCC("BC4S"), 8},
    {"ati2", DdsBuilder::FourCC("ATI2"), 16},
    {"bc5u", DdsBuilder::FourCC("BC5U"), 16},
    {"bc5s", DdsBuilder::FourCC("BC5S"), 16},
    {"a8b8g8r8", DdsBuilder::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u), 64},
    {"x8b8g8r8", DdsBuilder::Masks(Rgb, 32, 0xFF, 0xFF00, 0xFF0000, 0), 64},
    {"a8r8g8b8", DdsBuilder::Masks(RgbAlpha, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), 64},
    {"x8r8g8b8", DdsBuilder::Masks(Rgb, 32, 0xFF0000, 0xFF00, 0xFF, 0), 64},
    {"a2b10g10r10", DdsBuilder::Masks(RgbAlpha, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000u), 64},
    {"g16r16", DdsBuilder::Masks(Rgb, 32, 0xFFFF, 0xFFFF0000u, 0, 0), 64},
    {"r8g8b8", DdsBuilder::Masks(Rgb, 24, 0xFF0000, 0xFF00, 0xFF, 0), 48},
    {"r5g6b5", DdsBuilder::Masks(Rgb, 16, 0xF800, 0x7E0, 0x1F, 0), 32},
    {"a1r5g5b5", DdsBuilder::Masks(RgbAlpha, 16, 0x7C00, 0x3E0, 0x1F, 0x8000), 32},
    {"x1r5g5b5", DdsBuilder::Masks(Rgb, 16, 0x7C00, 0x3E0, 0x1F, 0), 32},
    {"a4r4g4b4", DdsBuilder::Masks(RgbAlpha, 16, 0xF00, 0xF0, 0xF, 0xF000), 32},
    {"x4r4g4b4", DdsBuilder::Masks(Rgb, 16, 0xF00, 0xF0, 0xF, 0), 32},
    {"l8", DdsBuilder::Masks(Luminance, 8, 0xFF, 0, 0, 0), 16},
    {"a8l8", DdsBuilder::Masks(Luminance | DdsBuilder::PfAlphaPixels, 16, 0xFF, 0, 0, 0xFF00), 32},
    {"l16", DdsBuilder::Masks(Luminance, 16, 0xFFFF, 0, 0, 0), 32},
    {"a8", DdsBuilder::Masks(DdsBuilder::PfAlpha, 8, 0, 0, 0, 0xFF), 16},
    {"fourcc36", DdsBuilder::FourCC(36), 128},
    {"fourcc110", DdsBuilder::FourCC(110), 128},
    {"fourcc111", DdsBuilder::FourCC(111), 32},
    {"fourcc112", DdsBuilder::FourCC(112), 64},
    {"fourcc113", DdsBuilder::FourCC(113), 128},
    {"fourcc114", DdsBuilder::FourCC(114), 64},
    {"fourcc115", DdsBuilder::FourCC(115), 128},
    {"fourcc116", DdsBuilder::FourCC(116), 256},
    // The extended header: one format of each kind of channel and packing.
    {"dx10_rgba32f", DdsBuilder::Dx10(2), 256},
    {"dx10_rgb32u", DdsBuilder::Dx10(7), 192},
    {"dx10_rgba16s", DdsBuilder::Dx10(14), 128},
    {"dx10_r11g11b10f", DdsBuilder::Dx10(26), 64},
    {"dx10_rgba8srgb", DdsBuilder::Dx10(29), 64},
    {"dx10_rgba8snorm", DdsBuilder::Dx10(31), 64},
    {"dx10_rg16f", DdsBuilder::Dx10(34), 64},
    {"dx10_r8", DdsBuilder::Dx10(61), 16},
    {"dx10_r9g9b9e5", DdsBuilder::Dx10(67), 64},
    {"dx10_bc1srgb", DdsBuilder::Dx10(72), 8},
    {"dx10_bc6h", DdsBuilder::Dx10(95), 16},
    {"dx10_bc7", DdsBuilder::Dx10(98), 16},
    {"dx10_b5g6r5", DdsBuilder::Dx10(85), 32},
    {"dx10_b5g5r5a1", DdsBuilder::Dx10(86), 32},
    {"dx10_b4g4r4a4", DdsBuilder::Dx10(115), 32},
};

bool Write(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    return SaveSeed(folder + "/" + name + ".dds", bytes);
}

struct Seed
{
    const char* name;
    DdsBuilder builder;
    size_t payload;
};

std::vector<Seed> EdgeCases()
{
    const DdsBuilder dxt1 = DdsBuilder::FourCC("DXT1");
    const DdsBuilder rgba8 = DdsBuilder::Dx10(28);
    const DdsBuilder l8 = DdsBuilder::Masks(Luminance, 8, 0xFF, 0, 0, 0);
    return {
        {"dxt1_1x1", DdsBuilder(dxt1).Size(1, 1), 8},
        {"dxt1_5x7_chain", DdsBuilder(dxt1).Size(5, 7).Mips(3), 32 + 8 + 8},
        {"dx10_bc1_16x8_chain", DdsBuilder::Dx10(71).Size(16, 8).Mips(5), 64 + 16 + 8 + 8 + 8},
        {"dxt5_mips0_trailing", DdsBuilder::FourCC("DXT5").Size(1, 1).Mips(0), 16 + 100},
        {"rgba8_8x8_chain", DdsBuilder(rgba8).Size(8, 8).Mips(4), 256 + 64 + 16 + 4},
        {"rgba8_4x2_chain", DdsBuilder(rgba8).Size(4, 2).Mips(3), 32 + 8 + 4},
        {"rgba16f_3x5_top", DdsBuilder::FourCC(113).Size(3, 5), 3 * 5 * 8},
        {"rgba32f_1x1", DdsBuilder::FourCC(116).Size(1, 1), 16},
        {"l8_3x5_chain", DdsBuilder(l8).Size(3, 5).Mips(3), 15 + 2 + 1},
        {"l16_4x2_top", DdsBuilder::Masks(Luminance, 16, 0xFFFF, 0, 0, 0).Size(4, 2), 16},
        {"r8g8b8_5x3_top", DdsBuilder::Masks(Rgb, 24, 0xFF0000, 0xFF00, 0xFF, 0).Size(5, 3), 45},
        {"r5g6b5_8x4_chain", DdsBuilder::Masks(Rgb, 16, 0xF800, 0x7E0, 0x1F, 0).Size(8, 4).Mips(2), 64 + 16},
        {"a8_16384x1", DdsBuilder::Masks(DdsBuilder::PfAlpha, 8, 0, 0, 0, 0xFF).Size(16384, 1), 16384},
        // Refused.
        {"no_dxt1_short", DdsBuilder(dxt1).Size(8, 8), 31},
        // An explicit 2D dimension outweighs the classic cube and volume bits.
        {"dx10_2d_with_cube_bits", DdsBuilder(rgba8).Caps2(0x200 | 0xFC00), 64 * 6},
        {"dx10_2d_with_volume_bit", DdsBuilder(rgba8).Caps2(0x200000), 64 * 4},
        {"dx10_array2", DdsBuilder(rgba8).Extended(3, 0, 2), 128},
        {"no_mips_beyond_chain", DdsBuilder(rgba8).Size(4, 4).Mips(4), 64 + 16 + 4 + 4},
        {"no_width_16385", DdsBuilder(l8).Size(16385, 1), 16385},
        {"dx10_rgba8_typeless", DdsBuilder::Dx10(27), 64},
    };
}

std::vector<Seed> ShapesAndSpellings()
{
    const DdsBuilder rgba8 = DdsBuilder::Dx10(28);
    const DdsBuilder bc1 = DdsBuilder::Dx10(71);
    const DdsBuilder p8 = DdsBuilder::Masks(DdsBuilder::PfPalette8, 8, 0, 0, 0, 0);
    const DdsBuilder l8 = DdsBuilder::Masks(Luminance, 8, 0xFF, 0, 0, 0);
    const uint32_t cube = 0x4;
    const uint32_t palette = 1024;
    return {
        {"a4l4", DdsBuilder::Masks(Luminance | DdsBuilder::PfAlphaPixels, 8, 0xF, 0, 0, 0xF0), 16},
        {"a4l4_repeated", DdsBuilder::Masks(Luminance, 8, 0xF, 0xF, 0xF, 0xF0), 16},
        {"l8_repeated", DdsBuilder::Masks(Luminance, 8, 0xFF, 0xFF, 0xFF, 0), 16},
        {"a8l8_repeated", DdsBuilder::Masks(Luminance | DdsBuilder::PfAlphaPixels, 16, 0xFF, 0xFF, 0xFF, 0xFF00), 32},
        {"l16_repeated", DdsBuilder::Masks(Luminance, 16, 0xFFFF, 0xFFFF, 0xFFFF, 0), 32},
        {"p8", DdsBuilder(p8), palette + 16},
        {"a8p8", DdsBuilder::Masks(DdsBuilder::PfPalette8 | DdsBuilder::PfAlphaPixels, 16, 0, 0, 0, 0xFF00), palette + 32},
        {"p8_3x5_chain", DdsBuilder(p8).Size(3, 5).Mips(3), palette + 15 + 2 + 1},
        {"dx10_bc1_typeless", DdsBuilder::Dx10(70), 8},
        {"dx10_bc7_typeless", DdsBuilder::Dx10(97), 16},
        {"dx10_r32_typeless", DdsBuilder::Dx10(39), 64},
        {"dx10_bc3srgb", DdsBuilder::Dx10(78), 16},
        {"dx10_bgra8srgb", DdsBuilder::Dx10(91), 64},
        {"dx10_array0", DdsBuilder(bc1).Extended(3, 0, 0), 8},
        {"dx10_dimension0", DdsBuilder(rgba8).Extended(0, 0, 1), 64},
        {"cube_rgba8_4x4_chain",
         DdsBuilder::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u).Caps2(0xFE00).Mips(3), 6 * (64 + 16 + 4)},
        {"cube_p8_2x2", DdsBuilder(p8).Size(2, 2).Caps2(0xFE00), palette + 6 * 4},
        {"dx10_cube_bc1_8x8", DdsBuilder(bc1).Size(8, 8).Extended(3, cube, 1), 6 * 32},
        {"dx10_two_cubes", DdsBuilder(rgba8).Size(1, 1).Extended(3, cube, 2), 12 * 4},
        {"dx10_dimension0_cube", DdsBuilder(rgba8).Size(1, 1).Extended(0, 0, 0).Caps2(0xFE00), 6 * 4},
        {"dx10_array3_bc1_5x3_chain", DdsBuilder(bc1).Size(5, 3).Mips(2).Extended(3, 0, 3), 3 * 24},
        {"volume_l8_4x4x3_chain", DdsBuilder(l8).Caps2(0x200000).Depth(3).Mips(3), 48 + 4 + 1},
        {"volume_dxt1_by_depth", DdsBuilder::FourCC("DXT1").Depth(2), 16},
        {"dx10_volume_rgba8_3x2x5_chain", DdsBuilder(rgba8).Size(3, 2).Mips(3).Extended(4, 0, 0).Depth(5), 132},
        {"dx10_dimension0_volume", DdsBuilder(rgba8).Size(1, 1).Extended(0, 0, 1).Caps2(0x200000).Depth(4).Mips(3),
         7 * 4},
        // Refused.
        {"no_partial_cube", DdsBuilder::FourCC("DXT1").Caps2(0x200 | 0x7C00), 6 * 8},
        {"no_cube_not_square", DdsBuilder(rgba8).Size(4, 2).Extended(3, cube, 1), 6 * 32},
        {"no_volume_array", DdsBuilder(rgba8).Extended(4, 0, 2).Depth(2), 4 * 64},
        {"no_array_2049", DdsBuilder(rgba8).Size(1, 1).Extended(3, 0, 2049), 2049 * 4},
        {"no_p8_palette_short", DdsBuilder(p8), palette - 24},
        {"no_l8_mask_too_wide", DdsBuilder::Masks(Luminance, 8, 0xFFFF, 0, 0, 0), 16},
    };
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: dds_seed_writer <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    uint32_t seed = 1;
    bool written = true;
    for (const Layout& layout : Layouts)
        written = Write(folder, layout.name, layout.builder.Build(PatternBytes(layout.bytesFor4x4, seed++))) && written;
    for (const Seed& edge : EdgeCases())
        written = Write(folder, edge.name, edge.builder.Build(PatternBytes(edge.payload, seed++))) && written;
    for (const Seed& shape : ShapesAndSpellings())
        written = Write(folder, shape.name, shape.builder.Build(PatternBytes(shape.payload, seed++))) && written;
    if (!written)
        std::fprintf(stderr, "could not write every seed into %s\n", folder.c_str());
    return written ? 0 : 1;
}
