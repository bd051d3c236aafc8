// Reads and checks the header of a DDS file held in memory, without Windows
// headers, so that it can be built anywhere and fed arbitrary bytes. Every
// size is computed here, never taken from the header, and every stored level
// of every image is proven to lie inside the buffer before anyone reads a
// texel.
#ifndef VEXELO_DDSFILE_H
#define VEXELO_DDSFILE_H

#include "PixelWidener.h"

#include <cstddef>
#include <cstdint>

// What the texture made from a file is: 2D (one image or an array of them),
// a cube map (six images per cube) or a volume.
enum class TextureKind
{
    Planar,
    Cube,
    Volume
};

struct DdsLevel
{
    uint32_t width;
    uint32_t height;
    uint32_t depth;      // slices; 1 but in volumes
    uint64_t offset;     // of the first image's level, from the start of the buffer
    uint32_t rowPitch;   // bytes of one row of texels or of 4 x 4 blocks
    uint32_t rowCount;   // rows of texels or of blocks in one slice
    uint64_t size;       // rowPitch x rowCount x depth
};

class DdsFile
{
public:
    // The device's limits: 2D images and cube faces, each side of a volume,
    // and the 2D images of an array (six per cube).
    static constexpr uint32_t MaxDimension = 16384;
    static constexpr uint32_t MaxVolumeDimension = 2048;
    static constexpr uint32_t MaxArraySize = 2048;
    static constexpr uint32_t MaxLevels = 15;

    // True when the buffer holds a DDS texture this reader accepts, with all
    // its stored levels of all its images inside the buffer. On false the
    // object describes no texture (LevelCount() is 0).
    bool Parse(const uint8_t* data, size_t size);

    // The DXGI format of the texture made from the file, after widening.
    uint32_t Format() const { return format; }
    // How the stored texels turn into Format().
    SourceEncoding Encoding() const { return encoding; }
    TextureKind Kind() const { return kind; }
    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    uint32_t Depth() const { return depth; }
    // 2D images stored one after the other, each with all its levels: the
    // slices of an array, six faces per cube; 1 for a volume.
    uint32_t ArraySize() const { return arraySize; }
    uint32_t LevelCount() const { return levelCount; }
    const DdsLevel& Level(uint32_t index) const { return levels[index]; }
    // Where a level of an image starts in the buffer.
    uint64_t LevelOffset(uint32_t image, uint32_t level) const
    {
        return levels[level].offset + image * imageStride;
    }
    // Where the 256-entry palette of a P8 or A8P8 file starts; 0 for others.
    uint64_t PaletteOffset() const { return paletteOffset; }

    // floor(log2(max(width, height, depth))) + 1.
    static uint32_t FullChainLength(uint32_t width, uint32_t height, uint32_t depth = 1);

private:
    bool ParseHeader(const uint8_t* data, size_t size);
    bool ParsePixelFormat(const uint8_t* data, size_t size);
    bool ParseExtendedHeader(const uint8_t* data, size_t size);
    bool ParseLegacyPixelFormat(const uint8_t* pixelFormat);
    bool ReadClassicShape();
    bool CheckLimits() const;
    bool LayOutLevels(size_t size);
    void Clear();

    uint32_t format = 0;
    SourceEncoding encoding = SourceEncoding::AsStored;
    TextureKind kind = TextureKind::Planar;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;
    uint32_t arraySize = 0;
    uint32_t levelCount = 0;
    uint32_t declaredLevels = 0;
    // Header words the shape is read from.
    uint32_t headerFlags = 0;
    uint32_t caps2 = 0;
    uint32_t depthField = 0;
    uint64_t dataOffset = 0;
    uint64_t paletteOffset = 0;
    uint64_t imageStride = 0;
    DdsLevel levels[MaxLevels] = {};
};

#endif
