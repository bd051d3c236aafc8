// The DDS reader: which files it accepts, where it finds their levels, and
// that no header makes it describe bytes outside the buffer.
#include "DdsBuilder.h"
#include "DdsFile.h"
#include "PixelFormatTable.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
const uint32_t Rgb = DdsBuilder::PfRgb;
const uint32_t RgbAlpha = DdsBuilder::PfRgb | DdsBuilder::PfAlphaPixels;

bool Parses(const std::vector<uint8_t>& bytes, DdsFile& dds)
{
    return dds.Parse(bytes.data(), bytes.size());
}

std::vector<uint8_t> WithPayload(const DdsBuilder& builder, size_t payload)
{
    return builder.Build(std::vector<uint8_t>(payload, 0x5A));
}

struct FormatCase
{
    const char* name;
    DdsBuilder builder;
    uint32_t format;
    SourceEncoding encoding;
    uint32_t bytesFor4x4;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.name;
}

class DdsFileFormats : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(DdsFileFormats, MapsThePixelFormatAndSizesTheTopLevel)
{
    const FormatCase& c = GetParam();
    DdsFile dds;
    ASSERT_TRUE(Parses(WithPayload(c.builder, c.bytesFor4x4), dds));
    EXPECT_EQ(dds.Format(), c.format);
    EXPECT_EQ(dds.Encoding(), c.encoding);
    ASSERT_EQ(dds.LevelCount(), 1u);
    EXPECT_EQ(dds.Level(0).size, c.bytesFor4x4);
    // One byte short of the level is refused.
    EXPECT_FALSE(Parses(WithPayload(c.builder, c.bytesFor4x4 - 1), dds));
}

using SE = SourceEncoding;
INSTANTIATE_TEST_SUITE_P(
    Legacy, DdsFileFormats,
    ::testing::Values(
        FormatCase{"DXT1", DdsBuilder::FourCC("DXT1"), 71, SE::AsStored, 8},
        FormatCase{"DXT2", DdsBuilder::FourCC("DXT2"), 74, SE::AsStored, 16},
        FormatCase{"DXT3", DdsBuilder::FourCC("DXT3"), 74, SE::AsStored, 16},
        FormatCase{"DXT4", DdsBuilder::FourCC("DXT4"), 77, SE::AsStored, 16},
        FormatCase{"DXT5", DdsBuilder::FourCC("DXT5"), 77, SE::AsStored, 16},
        FormatCase{"ATI1", DdsBuilder::FourCC("ATI1"), 80, SE::AsStored, 8},
        FormatCase{"BC4U", DdsBuilder::FourCC("BC4U"), 80, SE::AsStored, 8},
        FormatCase{"BC4S", DdsBuilder::FourCC("BC4S"), 81, SE::AsStored, 8},
        FormatCase{"ATI2", DdsBuilder::FourCC("ATI2"), 83, SE::AsStored, 16},
        FormatCase{"BC5U", DdsBuilder::FourCC("BC5U"), 83, SE::AsStored, 16},
        FormatCase{"BC5S", DdsBuilder::FourCC("BC5S"), 84, SE::AsStored, 16},
        FormatCase{"A8B8G8R8", DdsBuilder::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u), 28,
                   SE::AsStored, 64},
        FormatCase{"X8B8G8R8", DdsBuilder::Masks(Rgb, 32, 0xFF, 0xFF00, 0xFF0000, 0), 28, SE::Rgbx8888, 64},
        FormatCase{"A8R8G8B8", DdsBuilder::Masks(RgbAlpha, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), 87,
                   SE::AsStored, 64},
        FormatCase{"X8R8G8B8", DdsBuilder::Masks(Rgb, 32, 0xFF0000, 0xFF00, 0xFF, 0), 88, SE::AsStored, 64},
        FormatCase{"A2B10G10R10", DdsBuilder::Masks(RgbAlpha, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000u), 24,
                   SE::AsStored, 64},
        FormatCase{"G16R16", DdsBuilder::Masks(Rgb, 32, 0xFFFF, 0xFFFF0000u, 0, 0), 35, SE::AsStored, 64},
        FormatCase{"R8G8B8", DdsBuilder::Masks(Rgb, 24, 0xFF0000, 0xFF00, 0xFF, 0), 28, SE::Bgr888, 48},
        FormatCase{"R5G6B5", DdsBuilder::Masks(Rgb, 16, 0xF800, 0x7E0, 0x1F, 0), 28, SE::Bgr565, 32},
        FormatCase{"A1R5G5B5", DdsBuilder::Masks(RgbAlpha, 16, 0x7C00, 0x3E0, 0x1F, 0x8000), 28, SE::Bgra5551, 32},
        FormatCase{"X1R5G5B5", DdsBuilder::Masks(Rgb, 16, 0x7C00, 0x3E0, 0x1F, 0), 28, SE::Bgrx5551, 32},
        FormatCase{"A4R4G4B4", DdsBuilder::Masks(RgbAlpha, 16, 0xF00, 0xF0, 0xF, 0xF000), 28, SE::Bgra4444, 32},
        FormatCase{"X4R4G4B4", DdsBuilder::Masks(Rgb, 16, 0xF00, 0xF0, 0xF, 0), 28, SE::Bgrx4444, 32},
        FormatCase{"L8", DdsBuilder::Masks(DdsBuilder::PfLuminance, 8, 0xFF, 0, 0, 0), 28, SE::L8, 16},
        FormatCase{"A8L8", DdsBuilder::Masks(DdsBuilder::PfLuminance | DdsBuilder::PfAlphaPixels, 16, 0xFF, 0, 0, 0xFF00),
                   28, SE::A8L8, 32},
        FormatCase{"L16", DdsBuilder::Masks(DdsBuilder::PfLuminance, 16, 0xFFFF, 0, 0, 0), 11, SE::L16, 32},
        FormatCase{"A8", DdsBuilder::Masks(DdsBuilder::PfAlpha, 8, 0, 0, 0, 0xFF), 65, SE::AsStored, 16},
        FormatCase{"FourCC36", DdsBuilder::FourCC(36), 11, SE::AsStored, 128},
        FormatCase{"FourCC110", DdsBuilder::FourCC(110), 13, SE::AsStored, 128},
        FormatCase{"FourCC111", DdsBuilder::FourCC(111), 54, SE::AsStored, 32},
        FormatCase{"FourCC112", DdsBuilder::FourCC(112), 34, SE::AsStored, 64},
        FormatCase{"FourCC113", DdsBuilder::FourCC(113), 10, SE::AsStored, 128},
        FormatCase{"FourCC114", DdsBuilder::FourCC(114), 41, SE::AsStored, 64},
        FormatCase{"FourCC115", DdsBuilder::FourCC(115), 16, SE::AsStored, 128},
        FormatCase{"FourCC116", DdsBuilder::FourCC(116), 2, SE::AsStored, 256}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Extended, DdsFileFormats,
    ::testing::Values(FormatCase{"BC7", DdsBuilder::Dx10(98), 98, SE::AsStored, 16},
                      FormatCase{"BC1srgb", DdsBuilder::Dx10(72), 72, SE::AsStored, 8},
                      FormatCase{"RGBA8", DdsBuilder::Dx10(28), 28, SE::AsStored, 64},
                      FormatCase{"RGBA32F", DdsBuilder::Dx10(2), 2, SE::AsStored, 256},
                      FormatCase{"RGB32F", DdsBuilder::Dx10(6), 6, SE::AsStored, 192},
                      FormatCase{"R8", DdsBuilder::Dx10(61), 61, SE::AsStored, 16},
                      FormatCase{"B5G6R5", DdsBuilder::Dx10(85), 28, SE::Bgr565, 32},
                      FormatCase{"B5G5R5A1", DdsBuilder::Dx10(86), 28, SE::Bgra5551, 32},
                      FormatCase{"B4G4R4A4", DdsBuilder::Dx10(115), 28, SE::Bgra4444, 32}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST(DdsFile, LaysOutAFullBlockCompressedChainOfAnOddSize)
{
    // 5 x 7: 2 x 2 blocks, then 2 x 3 texels (one block), then 1 x 1 (one block).
    DdsFile dds;
    ASSERT_TRUE(Parses(WithPayload(DdsBuilder::FourCC("DXT1").Size(5, 7).Mips(3), 32 + 8 + 8), dds));
    ASSERT_EQ(dds.LevelCount(), 3u);
    EXPECT_EQ(dds.Level(0).offset, 128u);
    EXPECT_EQ(dds.Level(0).rowPitch, 16u);
    EXPECT_EQ(dds.Level(0).rowCount, 2u);
    EXPECT_EQ(dds.Level(1).offset, 160u);
    EXPECT_EQ(dds.Level(1).width, 2u);
    EXPECT_EQ(dds.Level(1).height, 3u);
    EXPECT_EQ(dds.Level(1).size, 8u);
    EXPECT_EQ(dds.Level(2).offset, 168u);
    EXPECT_EQ(dds.Level(2).width, 1u);
}

TEST(DdsFile, LaysOutUncompressedLevelsAfterTheExtendedHeader)
{
    DdsFile dds;
    ASSERT_TRUE(Parses(WithPayload(DdsBuilder::Dx10(28).Size(4, 2).Mips(3), 32 + 8 + 4), dds));
    ASSERT_EQ(dds.LevelCount(), 3u);
    EXPECT_EQ(dds.Level(0).offset, 148u);
    EXPECT_EQ(dds.Level(0).rowPitch, 16u);
    EXPECT_EQ(dds.Level(0).rowCount, 2u);
    EXPECT_EQ(dds.Level(1).offset, 180u);
    EXPECT_EQ(dds.Level(1).width, 2u);
    EXPECT_EQ(dds.Level(1).height, 1u);
    EXPECT_EQ(dds.Level(2).offset, 188u);
    EXPECT_EQ(dds.Level(2).size, 4u);
}

TEST(DdsFile, ReadsAMipCountOfZeroAsOneAndAllowsTrailingBytes)
{
    DdsFile dds;
    ASSERT_TRUE(Parses(WithPayload(DdsBuilder::FourCC("DXT5").Size(1, 1).Mips(0), 16 + 100), dds));
    EXPECT_EQ(dds.LevelCount(), 1u);
    EXPECT_EQ(dds.Level(0).size, 16u);
}

TEST(DdsFile, RefusesEveryTruncationOfAValidFile)
{
    const std::vector<uint8_t> valid = WithPayload(DdsBuilder::Dx10(71).Size(16, 8).Mips(5), 64 + 16 + 8 + 8 + 8);
    DdsFile dds;
    ASSERT_TRUE(Parses(valid, dds));
    for (size_t length = 0; length < valid.size(); ++length)
    {
        EXPECT_FALSE(dds.Parse(valid.data(), length)) << length;
        EXPECT_EQ(dds.LevelCount(), 0u);
    }
    EXPECT_FALSE(dds.Parse(nullptr, 0));
}

TEST(DdsFile, RefusesHeadersThatAreWrongOrOutOfRange)
{
    struct Spoil
    {
        const char* what;
        size_t offset;
        uint32_t value;
    };
    const Spoil spoils[] = {
        {"magic", 0, 0x20534445},         {"header size", 4, 128},        {"height 0", 12, 0},
        {"width 0", 16, 0},               {"width 16385", 16, 16385},     {"height 65535", 12, 65535},
        {"width 2^32-1", 16, 0xFFFFFFFF}, {"mip count 16", 28, 16},        {"mip count > chain", 28, 6},
        {"pixel format size", 76, 24},    {"DX10 buffer", 132, 1},         {"DX10 1D", 132, 2},
        {"DX10 dimension 5", 132, 5},     {"DX10 array 2^32-1", 140, 0xFFFFFFFF},
        {"depth format", 128, 45},        {"typeless depth", 128, 44},     {"palettized", 128, 113},
        {"unknown format", 128, 1000},
    };
    // 16 x 16 RGBA8 with 5 levels; every spoil keeps the buffer long enough.
    const std::vector<uint8_t> valid = WithPayload(DdsBuilder::Dx10(28).Size(16, 16).Mips(5), 1 << 20);
    DdsFile dds;
    ASSERT_TRUE(Parses(valid, dds));
    for (const Spoil& spoil : spoils)
    {
        std::vector<uint8_t> bytes = valid;
        DdsBuilder::Put32(bytes, spoil.offset, spoil.value);
        EXPECT_FALSE(Parses(bytes, dds)) << spoil.what;
    }
}

TEST(DdsFile, RefusesUnknownLegacyFormats)
{
    DdsFile dds;
    EXPECT_FALSE(Parses(WithPayload(DdsBuilder::FourCC("UYVY"), 4096), dds));
    EXPECT_FALSE(Parses(WithPayload(DdsBuilder::FourCC("DX11"), 4096), dds));
    EXPECT_FALSE(Parses(WithPayload(DdsBuilder::Masks(Rgb, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF), 4096), dds));
    EXPECT_FALSE(Parses(WithPayload(DdsBuilder::Masks(Rgb, 8, 0xE0, 0x1C, 0x3, 0), 4096), dds));
    EXPECT_FALSE(Parses(WithPayload(DdsBuilder::Masks(0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u), 4096), dds));
    // The DX10 FourCC without the FourCC flag is no extended header.
    DdsBuilder unflagged = DdsBuilder::Dx10(28);
    std::vector<uint8_t> bytes = WithPayload(unflagged, 4096);
    DdsBuilder::Put32(bytes, 80, 0);
    EXPECT_FALSE(Parses(bytes, dds));
}

// Where images, slices and palettes lie, at the device's limits too (the
// device tests read back smaller ones). Each file is exactly as long as the
// layout needs.
TEST(DdsFile, LaysOutEveryImageOfCubesArraysAndVolumes)
{
    using B = DdsBuilder;
    const B rgba8 = B::Dx10(28);
    const B a8 = B::Masks(B::PfAlpha, 8, 0, 0, 0, 0xFF);
    const TextureKind Planar = TextureKind::Planar, Cube = TextureKind::Cube, Volume = TextureKind::Volume;
    struct Shape
    {
        const char* name;
        DdsBuilder builder;
        size_t payload;
        TextureKind kind;
        uint32_t images, depth, levels;
        uint64_t lastLevelAt;   // of the last image
    };
    const Shape shapes[] = {
        // 4 x 4 RGBA8 and 2 x 2 levels: 80 bytes a face.
        {"cube", B::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u).Caps2(B::Caps2Cube).Mips(2), 480, Cube, 6,
         1, 2, 128 + 5 * 80 + 64},
        {"341 cubes", B(rgba8).Size(1, 1).Extended(3, 0x4, 341), 2046 * 4, Cube, 2046, 1, 1, 148 + 2045 * 4},
        // 5 x 3 BC1: two blocks, then one.
        {"array", B::Dx10(71).Size(5, 3).Mips(2).Extended(3, 0, 3), 72, Planar, 3, 1, 2, 148 + 2 * 24 + 16},
        {"array of 2048", B(rgba8).Size(1, 1).Extended(3, 0, 2048), 2048 * 4, Planar, 2048, 1, 1, 148 + 2047 * 4},
        // 4 x 4 x 3 L8, then 2 x 2 x 1 and 1 x 1 x 1.
        {"volume", B::Masks(B::PfLuminance, 8, 0xFF, 0, 0, 0).Caps2(B::Caps2Volume).Depth(3).Mips(3), 53, Volume, 1,
         3, 3, 128 + 48 + 4},
        // 1 x 1 x 4, 1 x 1 x 2, 1 x 1 x 1: the depth sets the chain.
        {"volume deeper than wide", B(rgba8).Size(1, 1).Extended(4, 0, 1).Depth(4).Mips(3), 28, Volume, 1, 4, 3, 172},
        {"volume 2048 deep", B(a8).Size(1, 1).Caps2(B::Caps2Volume).Depth(2048), 2048, Volume, 1, 2048, 1, 128},
        {"palettized cube", B::Masks(B::PfPalette8, 8, 0, 0, 0, 0).Size(2, 2).Caps2(B::Caps2Cube), 1024 + 24, Cube, 6,
         1, 1, 128 + 1024 + 20},
    };
    for (const Shape& shape : shapes)
    {
        SCOPED_TRACE(shape.name);
        DdsFile dds;
        ASSERT_TRUE(Parses(WithPayload(shape.builder, shape.payload), dds));
        EXPECT_EQ(dds.Kind(), shape.kind);
        EXPECT_EQ(dds.ArraySize(), shape.images);
        EXPECT_EQ(dds.Depth(), shape.depth);
        ASSERT_EQ(dds.LevelCount(), shape.levels);
        EXPECT_EQ(dds.LevelOffset(shape.images - 1, shape.levels - 1), shape.lastLevelAt);
        EXPECT_FALSE(Parses(WithPayload(shape.builder, shape.payload - 1), dds));
    }
}

TEST(DdsFile, RefusesShapesAndSizesTheDeviceCannotTakeAndFilesCutShort)
{
    for (const RefusedDds& file : RefusedDdsFiles())
    {
        DdsFile dds;
        EXPECT_FALSE(Parses(file.bytes, dds)) << file.why;
    }
}

TEST(DdsFile, RefusesAHugeClaimWithoutLookingForItsBytes)
{
    DdsFile dds;
    EXPECT_FALSE(Parses(WithPayload(DdsBuilder::Dx10(2).Size(16384, 16384).Mips(15), 4096), dds));
    EXPECT_TRUE(Parses(WithPayload(DdsBuilder::FourCC("DXT1").Size(16384, 1), 4096 * 8), dds));
    EXPECT_EQ(dds.FullChainLength(16384, 1), 15u);
}

// Random changes to a valid file never yield levels outside the buffer.
TEST(DdsFile, DescribesOnlyBytesInsideTheBufferWhateverTheHeaderHolds)
{
    const std::vector<uint8_t> seeds[] = {
        WithPayload(DdsBuilder::Dx10(28).Size(8, 8).Mips(4), 256 + 64 + 16 + 4),
        WithPayload(DdsBuilder::FourCC("DXT1").Size(8, 8).Mips(4), 32 + 8 + 8 + 8),
        WithPayload(DdsBuilder::Masks(Rgb, 16, 0xF800, 0x7E0, 0x1F, 0).Size(8, 4).Mips(2), 64 + 16),
        WithPayload(DdsBuilder::Masks(DdsBuilder::PfPalette8, 8, 0, 0, 0, 0).Size(2, 2).Caps2(DdsBuilder::Caps2Cube),
                    1024 + 6 * 4),
        WithPayload(DdsBuilder::Dx10(28).Size(4, 2).Mips(3).Extended(4, 0, 1).Depth(3), 96 + 8 + 4),
    };
    std::mt19937 random(1234);
    DdsFile dds;
    int accepted = 0;
    for (int round = 0; round < 30000; ++round)
    {
        std::vector<uint8_t> bytes = seeds[round % 5];
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i)
        {
            const size_t at = random() % 160 % bytes.size();
            bytes[at] = static_cast<uint8_t>(random());
        }
        bytes.resize(random() % (bytes.size() + 1));
        if (!Parses(bytes, dds))
            continue;
        ++accepted;
        for (uint32_t level = 0; level < dds.LevelCount(); ++level)
        {
            const DdsLevel& l = dds.Level(level);
            ASSERT_LE(dds.LevelOffset(dds.ArraySize() - 1, level) + l.size, bytes.size());
            ASSERT_EQ(static_cast<uint64_t>(l.rowPitch) * l.rowCount * l.depth, l.size);
        }
    }
    EXPECT_GT(accepted, 0);
}
}
