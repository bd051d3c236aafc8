// The format table drives every size and every averaged texel: a slip in one
// row would make the mip filter read or write outside a texel.
#include "PixelFormatTable.h"

#include <gtest/gtest.h>

TEST(PixelFormatTable, AveragedChannelsFillTheirTexelExactly)
{
    int averaged = 0;
    for (uint32_t format = 0; format < 256; ++format)
    {
        const PixelFormatInfo* info = PixelFormatTable::Find(format);
        if (!info)
            continue;
        EXPECT_EQ(info->format, format);
        // Exactly one of texels and blocks.
        EXPECT_NE(info->bitsPerPixel == 0, info->blockBytes == 0) << format;
        if (!PixelFormatTable::CanFilter(*info))
            continue;
        ++averaged;
        EXPECT_TRUE(info->channelBytes == 1 || info->channelBytes == 2 || info->channelBytes == 4) << format;
        EXPECT_EQ(info->channelCount * info->channelBytes * 8, info->bitsPerPixel) << format;
        if (info->kind == ChannelKind::Float)
        {
            EXPECT_NE(info->channelBytes, 1u) << format;
        }
    }
    EXPECT_GT(averaged, 0);
}
