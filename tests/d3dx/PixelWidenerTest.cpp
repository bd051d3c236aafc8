// Legacy texels widened to formats every feature-level 11.0 device samples.
#include "PixelFormatTable.h"
#include "PixelWidener.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
std::vector<uint8_t> Widen(SourceEncoding encoding, std::vector<uint8_t> source,
                           const std::vector<uint8_t>& palette = {})
{
    const uint32_t width = static_cast<uint32_t>(source.size() * 8 / PixelWidener::StoredBits(encoding));
    std::vector<uint8_t> target(width * (encoding == SourceEncoding::L16 ? 8 : 4), 0xCD);
    PixelWidener::WidenRow(encoding, source.data(), width, target.data(), palette.data());
    return target;
}

// UNORM conversion: to the real value, then to the nearest 8-bit step (bit
// replication would be off by one for some values).
uint8_t Unorm8(uint32_t value, uint32_t bits)
{
    return static_cast<uint8_t>(std::lround(value * 255.0 / ((1u << bits) - 1)));
}

using V = std::vector<uint8_t>;

TEST(PixelWidener, Expands565ChannelsToFullRange)
{
    EXPECT_EQ(Widen(SourceEncoding::Bgr565, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF}),
              (V{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}));
    for (uint32_t v = 0; v < 64; ++v)
    {
        const uint16_t texel = static_cast<uint16_t>((v & 31) << 11 | v << 5 | (v & 31));
        const V out = Widen(SourceEncoding::Bgr565, {static_cast<uint8_t>(texel), static_cast<uint8_t>(texel >> 8)});
        EXPECT_EQ(out[0], Unorm8(v & 31, 5)) << v;
        EXPECT_EQ(out[1], Unorm8(v, 6)) << v;
    }
}

TEST(PixelWidener, Takes5551AlphaFromItsBitUnlessItIsPadding)
{
    // 0x7C00: red only, alpha bit clear; 0x801F: blue with alpha set.
    EXPECT_EQ(Widen(SourceEncoding::Bgra5551, {0x00, 0x7C, 0x1F, 0x80}), (V{255, 0, 0, 0, 0, 0, 255, 255}));
    EXPECT_EQ(Widen(SourceEncoding::Bgrx5551, {0x00, 0x7C}), (V{255, 0, 0, 255}));
    EXPECT_EQ(Widen(SourceEncoding::Bgrx5551, {0x10, 0x42}), (V{Unorm8(16, 5), Unorm8(16, 5), Unorm8(16, 5), 255}));
}

TEST(PixelWidener, Expands4444ChannelsBySeventeen)
{
    EXPECT_EQ(Widen(SourceEncoding::Bgra4444, {0x21, 0x43}), (V{0x33, 0x22, 0x11, 0x44}));
    EXPECT_EQ(Widen(SourceEncoding::Bgrx4444, {0x21, 0x03}), (V{0x33, 0x22, 0x11, 0xFF}));
}

TEST(PixelWidener, SpreadsLuminanceOverRedGreenAndBlue)
{
    EXPECT_EQ(Widen(SourceEncoding::L8, {0x12, 0xFE}), (V{0x12, 0x12, 0x12, 255, 0xFE, 0xFE, 0xFE, 255}));
    EXPECT_EQ(Widen(SourceEncoding::A8L8, {0x12, 0x80}), (V{0x12, 0x12, 0x12, 0x80}));
    EXPECT_EQ(Widen(SourceEncoding::A4L4, {0x3C}), (V{0xCC, 0xCC, 0xCC, 0x33}));
    EXPECT_EQ(Widen(SourceEncoding::L16, {0x34, 0x12}), (V{0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0xFF, 0xFF}));
    EXPECT_EQ(PixelWidener::TargetFormat(SourceEncoding::L16), DxgiFormat::R16G16B16A16Unorm);
    EXPECT_EQ(PixelWidener::TargetFormat(SourceEncoding::L8), DxgiFormat::R8G8B8A8Unorm);
}

TEST(PixelWidener, ReordersAndOpaquesEightBitTexels)
{
    EXPECT_EQ(Widen(SourceEncoding::Bgr888, {1, 2, 3, 4, 5, 6}), (V{3, 2, 1, 255, 6, 5, 4, 255}));
    EXPECT_EQ(Widen(SourceEncoding::Rgbx8888, {1, 2, 3, 4}), (V{1, 2, 3, 255}));
}
}
