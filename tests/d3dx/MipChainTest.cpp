// Mip levels in memory and the box filter that generates the missing ones.
#include "MipChain.h"
#include "PixelFormatTable.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
template <typename T>
void Fill(MipChain& chain, uint32_t level, const std::vector<T>& values)
{
    ASSERT_EQ(values.size() * sizeof(T), chain.Level(level).size);
    std::memcpy(chain.Data(level), values.data(), chain.Level(level).size);
}

template <typename T>
std::vector<T> Contents(const MipChain& chain, uint32_t level)
{
    std::vector<T> values(chain.Level(level).size / sizeof(T));
    std::memcpy(values.data(), chain.Data(level), chain.Level(level).size);
    return values;
}

TEST(MipChain, CountsLevelsDownToOneTexel)
{
    EXPECT_EQ(MipChain::ChainLength(1, 1, 0), 1u);
    EXPECT_EQ(MipChain::ChainLength(256, 256, 0), 9u);
    EXPECT_EQ(MipChain::ChainLength(256, 1, 0), 9u);
    EXPECT_EQ(MipChain::ChainLength(5, 3, 0), 3u);
    EXPECT_EQ(MipChain::ChainLength(16384, 16384, 0), 15u);
    EXPECT_EQ(MipChain::ChainLength(5, 3, 2), 2u);
    EXPECT_EQ(MipChain::ChainLength(5, 3, 9), 3u);
}

TEST(MipChain, RefusesWhatNoTextureCanHold)
{
    MipChain chain;
    EXPECT_FALSE(chain.Allocate(DxgiFormat::Unknown, 4, 4, 1));
    EXPECT_FALSE(chain.Allocate(27, 4, 4, 1));  // typeless
    EXPECT_FALSE(chain.Allocate(DxgiFormat::R8G8B8A8Unorm, 0, 4, 1));
    EXPECT_FALSE(chain.Allocate(DxgiFormat::R8G8B8A8Unorm, 16385, 4, 1));
    EXPECT_FALSE(chain.Allocate(DxgiFormat::R8G8B8A8Unorm, 4, 4, 0));
    EXPECT_FALSE(chain.Allocate(DxgiFormat::R8G8B8A8Unorm, 4, 4, 4));
    EXPECT_EQ(chain.LevelCount(), 0u);
}

TEST(MipChain, PacksBlockLevelsWithWholeBlocks)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(DxgiFormat::BC3Unorm, 6, 9, 4));
    EXPECT_EQ(chain.Level(0).rowPitch, 32u);
    EXPECT_EQ(chain.Level(0).rowCount, 3u);
    EXPECT_EQ(chain.Level(1).offset, 96u);
    EXPECT_EQ(chain.Level(3).width, 1u);
    EXPECT_EQ(chain.Level(3).height, 1u);
    EXPECT_EQ(chain.Level(3).size, 16u);
    // Blocks are not averaged.
    EXPECT_FALSE(chain.GenerateFrom(1));
}

TEST(MipChain, AveragesTwoByTwoTexelsRoundingToNearest)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(DxgiFormat::R8G8B8A8Unorm, 2, 2, 2));
    Fill<uint8_t>(chain, 0, {0, 255, 1, 10, 0, 255, 2, 20, 0, 255, 3, 30, 1, 254, 4, 41});
    ASSERT_TRUE(chain.GenerateFrom(1));
    // (0+0+0+1)/4 = 0.25 -> 0; 1019/4 = 254.75 -> 255; 10/4 = 2.5 -> 3; 101/4 = 25.25 -> 25.
    EXPECT_EQ(Contents<uint8_t>(chain, 1), (std::vector<uint8_t>{0, 255, 3, 25}));
}

TEST(MipChain, RepeatsEdgeTexelsOfOddAndThinLevels)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(61, 3, 1, 2));  // R8_UNORM, 3 x 1 -> 1 x 1
    Fill<uint8_t>(chain, 0, {10, 20, 200});
    ASSERT_TRUE(chain.GenerateFrom(1));
    EXPECT_EQ(Contents<uint8_t>(chain, 1), (std::vector<uint8_t>{15}));

    ASSERT_TRUE(chain.Allocate(61, 1, 5, 3));  // 1 x 5 -> 1 x 2 -> 1 x 1
    Fill<uint8_t>(chain, 0, {0, 100, 50, 50, 255});
    ASSERT_TRUE(chain.GenerateFrom(1));
    EXPECT_EQ(Contents<uint8_t>(chain, 1), (std::vector<uint8_t>{50, 50}));
    EXPECT_EQ(Contents<uint8_t>(chain, 2), (std::vector<uint8_t>{50}));
}

TEST(MipChain, KeepsLevelsAboveTheFirstGenerated)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(61, 4, 4, 3));
    Fill<uint8_t>(chain, 0, std::vector<uint8_t>(16, 100));
    Fill<uint8_t>(chain, 1, {1, 2, 3, 4});
    ASSERT_TRUE(chain.GenerateFrom(2));
    EXPECT_EQ(Contents<uint8_t>(chain, 1), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(Contents<uint8_t>(chain, 2), (std::vector<uint8_t>{3}));  // 10 / 4 = 2.5 -> 3
}

TEST(MipChain, AveragesSignedChannelsSymmetrically)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(37, 2, 2, 2));  // R16G16_SNORM
    Fill<int16_t>(chain, 0, {-1, 32767, -2, 32767, -2, 32767, -3, -32768});
    ASSERT_TRUE(chain.GenerateFrom(1));
    // -8/4 = -2; (3 x 32767 - 32768)/4 = 16383.25 -> 16383.
    EXPECT_EQ(Contents<int16_t>(chain, 1), (std::vector<int16_t>{-2, 16383}));
    Fill<int16_t>(chain, 0, {-1, 1, -1, 1, -1, 1, -3, 3});
    ASSERT_TRUE(chain.GenerateFrom(1));
    // -6/4 = -1.5 and 1.5 round away from zero alike.
    EXPECT_EQ(Contents<int16_t>(chain, 1), (std::vector<int16_t>{-2, 2}));
}

TEST(MipChain, AveragesFloatChannels)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(DxgiFormat::R32Float, 2, 2, 2));
    Fill<float>(chain, 0, {1.0f, 2.0f, 3.0f, 4.5f});
    ASSERT_TRUE(chain.GenerateFrom(1));
    EXPECT_EQ(Contents<float>(chain, 1), (std::vector<float>{2.625f}));
}

TEST(MipChain, AveragesHalfFloatsWithCorrectRounding)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(DxgiFormat::R16Float, 2, 2, 2));
    const struct
    {
        std::vector<uint16_t> texels;
        uint16_t average;
    } cases[] = {
        {{0x3C00, 0x4000, 0x4200, 0x4400}, 0x4100},  // 1, 2, 3, 4 -> 2.5
        {{0x0001, 0x0001, 0x0001, 0x0001}, 0x0001},  // smallest subnormal
        {{0x0001, 0x0000, 0x0000, 0x0001}, 0x0000},  // half of it: a tie, to even
        {{0x0003, 0x0000, 0x0000, 0x0003}, 0x0002},  // 1.5 ulp: tie, to even
        {{0x7BFF, 0x7BFF, 0x7BFF, 0x7BFF}, 0x7BFF},  // largest finite
        {{0x7C00, 0x3C00, 0x3C00, 0x3C00}, 0x7C00},  // infinity stays
        {{0xBC00, 0xBC00, 0x3C00, 0xBC00}, 0xB800},  // -0.5
        {{0x3C00, 0x3C01, 0x3C00, 0x3C00}, 0x3C00},  // a quarter ulp rounds down
        {{0x0400, 0x0400, 0x03FF, 0x03FF}, 0x0400},  // smallest normal and largest subnormal
    };
    for (const auto& c : cases)
    {
        Fill<uint16_t>(chain, 0, c.texels);
        ASSERT_TRUE(chain.GenerateFrom(1));
        EXPECT_EQ(Contents<uint16_t>(chain, 1)[0], c.average) << std::hex << c.texels[0];
    }
}

TEST(MipChain, AveragesEveryChannelOfWideTexels)
{
    MipChain chain;
    ASSERT_TRUE(chain.Allocate(3, 2, 1, 2));  // R32G32B32A32_UINT
    Fill<uint32_t>(chain, 0, {0xFFFFFFFF, 0, 7, 100, 0xFFFFFFFF, 1, 8, 200});
    ASSERT_TRUE(chain.GenerateFrom(1));
    EXPECT_EQ(Contents<uint32_t>(chain, 1), (std::vector<uint32_t>{0xFFFFFFFF, 1, 8, 150}));
}

TEST(MipChain, AveragesEightTexelsOfVolumesAndEachImageOfAnArrayAlone)
{
    MipChain volume;
    ChainShape shape;
    shape.kind = TextureKind::Volume;
    shape.width = shape.height = 2;
    shape.depth = 3;
    shape.levelCount = 2;
    ASSERT_TRUE(volume.Allocate(61, shape));  // R8_UNORM 2 x 2 x 3 -> 1 x 1 x 1
    Fill<uint8_t>(volume, 0, {0, 10, 20, 30, 40, 50, 60, 71, 255, 255, 255, 255});
    ASSERT_TRUE(volume.GenerateFrom(1));
    // The first two slices: 281 / 8 = 35.1; the third, beyond them, is not read.
    EXPECT_EQ(Contents<uint8_t>(volume, 1), (std::vector<uint8_t>{35}));

    MipChain faces;
    shape = ChainShape();
    shape.kind = TextureKind::Cube;
    shape.width = shape.height = 2;
    shape.arraySize = 6;
    shape.levelCount = 2;
    ASSERT_TRUE(faces.Allocate(61, shape));
    for (uint32_t face = 0; face < 6; ++face)
        for (int i = 0; i < 4; ++i)
            faces.Data(face, 0)[i] = static_cast<uint8_t>(40 * face + 2 * i);
    ASSERT_TRUE(faces.GenerateFrom(1));
    for (uint32_t face = 0; face < 6; ++face)
        EXPECT_EQ(faces.Data(face, 1)[0], 40 * face + 3) << face;  // (0 + 2 + 4 + 6) / 4
}
}
