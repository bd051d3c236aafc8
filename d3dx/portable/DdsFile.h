// Reads and checks the header of a DDS file held in memory, without Windows
// headers, so that it can be built anywhere and fed arbitrary bytes. Every
// size is computed here, never taken from the header, and every stored level
// is proven to lie inside the buffer before anyone reads a texel.
#ifndef VEXELO_DDSFILE_H
#define VEXELO_DDSFILE_H

#include "PixelWidener.h"

#include <cstddef>
#include <cstdint>

struct DdsLevel
{
    uint32_t width;
    uint32_t height;
    uint64_t offset;     // from the start of the buffer
    uint32_t rowPitch;   // bytes of one row of texels or of 4 x 4 blocks
    uint32_t rowCount;   // rows of texels or of blocks
    uint64_t size;       // rowPitch x rowCount
};

class DdsFile
{
public:
    static constexpr uint32_t MaxDimension = 16384;
    static constexpr uint32_t MaxLevels = 15;

    // True when the buffer holds a 2D DDS texture this reader accepts, with
    // all its stored levels inside the buffer. On false the object describes
    // no texture (LevelCount() is 0).
    bool Parse(const uint8_t* data, size_t size);

    // The DXGI format of the texture made from the file, after widening.
    uint32_t Format() const { return format; }
    // How the stored texels turn into Format().
    SourceEncoding Encoding() const { return encoding; }
    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    uint32_t LevelCount() const { return levelCount; }
    const DdsLevel& Level(uint32_t index) const { return levels[index]; }

    // floor(log2(max(width, height))) + 1.
    static uint32_t FullChainLength(uint32_t width, uint32_t height);

private:
    bool ParseHeader(const uint8_t* data, size_t size);
    bool ParsePixelFormat(const uint8_t* data, size_t size);
    bool ParseExtendedHeader(const uint8_t* data, size_t size);
    bool ParseLegacyPixelFormat(const uint8_t* pixelFormat);
    bool LayOutLevels(size_t size);
    void Clear();

    uint32_t format = 0;
    SourceEncoding encoding = SourceEncoding::AsStored;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levelCount = 0;
    uint32_t declaredLevels = 0;
    uint64_t dataOffset = 0;
    DdsLevel levels[MaxLevels] = {};
};

#endif
