// The program's texture file: a 256 x 256 DDS, 32-bit RGBA, full mip chain.
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
const char* const TextureFile = ENGINE_DATA_DIR "/seafloor.dds";
const std::size_t HeaderBytes = 128; // "DDS " and the 124-byte header
const int Size = 256;
const int MipLevels = 9;

std::uint32_t Word(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return value;
}

std::size_t LevelOffset(int level)
{
    std::size_t offset = HeaderBytes;
    for (int l = 0, size = Size; l < level; ++l, size /= 2)
        offset += static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4;
    return offset;
}

int Channel(const std::string& bytes, int level, int x, int y, int c)
{
    const int size = Size >> level;
    return static_cast<unsigned char>(
        bytes[LevelOffset(level) + (static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)) * 4 +
              static_cast<std::size_t>(c)]);
}
}

TEST(SeafloorTexture, HeaderDescribesUncompressedRgbaWithNineMipLevels)
{
    const std::string bytes = TempFolder::ReadBytes(TextureFile);
    ASSERT_EQ(bytes.size(), LevelOffset(MipLevels)) << TextureFile;
    EXPECT_EQ(bytes.substr(0, 4), "DDS ");
    EXPECT_EQ(Word(bytes, 4), 124u);
    const std::uint32_t flags = Word(bytes, 8);
    EXPECT_EQ(flags & 0x2100Fu, 0x2100Fu) << "caps, size, pitch, pixel format, mip count";
    EXPECT_EQ(Word(bytes, 12), 256u) << "height";
    EXPECT_EQ(Word(bytes, 16), 256u) << "width";
    EXPECT_EQ(Word(bytes, 20), 1024u) << "pitch";
    EXPECT_EQ(Word(bytes, 28), 9u) << "mip levels";
    EXPECT_EQ(Word(bytes, 76), 32u) << "pixel format size";
    EXPECT_EQ(Word(bytes, 80), 0x41u) << "RGB with alpha, no FourCC";
    EXPECT_EQ(Word(bytes, 88), 32u) << "bits per pixel";
    EXPECT_EQ(Word(bytes, 92), 0x000000FFu);
    EXPECT_EQ(Word(bytes, 96), 0x0000FF00u);
    EXPECT_EQ(Word(bytes, 100), 0x00FF0000u);
    EXPECT_EQ(Word(bytes, 104), 0xFF000000u);
    EXPECT_EQ(Word(bytes, 108), 0x401008u) << "texture, mipmap, complex";
}

TEST(SeafloorTexture, IsOpaqueSandWithVisiblePattern)
{
    const std::string bytes = TempFolder::ReadBytes(TextureFile);
    ASSERT_EQ(bytes.size(), LevelOffset(MipLevels));
    int darkest = 255, lightest = 0;
    for (int y = 0; y < Size; ++y)
    {
        for (int x = 0; x < Size; ++x)
        {
            ASSERT_EQ(Channel(bytes, 0, x, y, 3), 255) << x << "," << y;
            const int red = Channel(bytes, 0, x, y, 0), blue = Channel(bytes, 0, x, y, 2);
            ASSERT_GT(red, blue) << "sand is warmer than it is blue";
            darkest = std::min(darkest, red);
            lightest = std::max(lightest, red);
        }
    }
    EXPECT_GT(lightest - darkest, 40) << "ripples show";
}

TEST(SeafloorTexture, EachMipLevelIsTheLevelAboveHalved)
{
    const std::string bytes = TempFolder::ReadBytes(TextureFile);
    ASSERT_EQ(bytes.size(), LevelOffset(MipLevels));
    for (int level = 1; level < MipLevels; ++level)
    {
        const int size = Size >> level;
        for (int y = 0; y < size; ++y)
        {
            for (int x = 0; x < size; ++x)
            {
                for (int c = 0; c < 4; ++c)
                {
                    const int sum = Channel(bytes, level - 1, 2 * x, 2 * y, c) + Channel(bytes, level - 1, 2 * x + 1, 2 * y, c) +
                                    Channel(bytes, level - 1, 2 * x, 2 * y + 1, c) +
                                    Channel(bytes, level - 1, 2 * x + 1, 2 * y + 1, c);
                    ASSERT_LE(std::abs(Channel(bytes, level, x, y, c) * 4 - sum), 4)
                        << "level " << level << " at " << x << "," << y;
                }
            }
        }
    }
}
