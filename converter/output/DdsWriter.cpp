#include "DdsWriter.h"

#include "MipChain.h"

#include <cstdint>
#include <initializer_list>

namespace
{
const std::uint32_t HeaderSize = 124;
const std::uint32_t PixelFormatSize = 32;
const std::uint32_t Caps = 0x1, Height = 0x2, Width = 0x4, Pitch = 0x8, PixelFormat = 0x1000, MipMapCount = 0x20000;
const std::uint32_t AlphaPixels = 0x1, Rgb = 0x40;
const std::uint32_t CapsComplex = 0x8, CapsTexture = 0x1000, CapsMipMap = 0x400000;

void Put(std::uint8_t* header, std::size_t& at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        header[at++] = static_cast<std::uint8_t>(value >> (8 * i));
}
}

bool DdsWriter::Write(std::FILE* file, const MipChain& levels)
{
    const MipLevel& top = levels.Level(0);
    const std::uint32_t count = levels.LevelCount();
    std::uint8_t header[4 + HeaderSize] = {'D', 'D', 'S', ' '};
    std::size_t at = 4;
    Put(header, at, HeaderSize);
    Put(header, at, Caps | Height | Width | Pitch | PixelFormat | (count > 1 ? MipMapCount : 0));
    Put(header, at, top.height);
    Put(header, at, top.width);
    Put(header, at, top.rowPitch);
    Put(header, at, 0); // depth
    Put(header, at, count);
    at += 44; // eleven reserved words
    Put(header, at, PixelFormatSize);
    Put(header, at, Rgb | AlphaPixels);
    Put(header, at, 0); // no FourCC
    Put(header, at, 32);
    for (std::uint32_t mask : {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0xFF000000u})
        Put(header, at, mask);
    Put(header, at, CapsTexture | (count > 1 ? CapsComplex | CapsMipMap : 0));
    if (std::fwrite(header, 1, sizeof header, file) != sizeof header)
        return false;
    for (std::uint32_t level = 0; level < count; ++level)
    {
        const std::size_t size = static_cast<std::size_t>(levels.Level(level).size);
        if (std::fwrite(levels.Data(level), 1, size, file) != size)
            return false;
    }
    return true;
}
