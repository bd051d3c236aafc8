// A texture's mip levels in CPU memory, packed with tight rows, and the box
// filter that makes the smaller levels from the larger ones. An array or cube
// map holds the levels of each image one image after the other.
#ifndef VEXELO_MIPCHAIN_H
#define VEXELO_MIPCHAIN_H

#include "DdsFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct MipLevel
{
    uint32_t width;
    uint32_t height;
    uint32_t depth;      // slices; 1 but in volumes
    uint32_t rowPitch;   // bytes of a row of texels or of 4 x 4 blocks
    uint32_t rowCount;   // in one slice
    uint64_t offset;     // into an image's storage
    uint64_t size;       // rowPitch x rowCount x depth
};

struct ChainShape
{
    TextureKind kind = TextureKind::Planar;
    uint32_t width = 1;
    uint32_t height = 1;
    uint32_t depth = 1;
    uint32_t arraySize = 1;   // images, six per cube
    uint32_t levelCount = 1;
};

class MipChain
{
public:
    static constexpr uint32_t MaxDimension = DdsFile::MaxDimension;
    static constexpr uint32_t MaxLevels = DdsFile::MaxLevels;

    MipChain() = default;
    MipChain(const MipChain&) = delete;
    MipChain& operator=(const MipChain&) = delete;

    // Lays out the levels of every image of the DXGI format at that shape
    // and allocates them (contents undefined). False for an unknown format,
    // a size outside 1..MaxDimension (depth and array size: 1..2048), a level
    // count outside 1..full chain, or when memory runs short; the chain is
    // then empty.
    bool Allocate(uint32_t format, const ChainShape& shape);
    // One 2D image.
    bool Allocate(uint32_t format, uint32_t width, uint32_t height, uint32_t levelCount);

    // Fills levels firstLevel.. of every image by averaging 2 x 2 texels (2 x
    // 2 x 2 in volumes) of the level above (an edge texel is repeated where a
    // level is odd-sized or one texel thin). False, changing nothing, for
    // formats that cannot be averaged.
    bool GenerateFrom(uint32_t firstLevel);

    uint32_t Format() const { return format; }
    TextureKind Kind() const { return shape.kind; }
    uint32_t ArraySize() const { return shape.arraySize; }
    uint32_t LevelCount() const { return shape.levelCount; }
    const MipLevel& Level(uint32_t index) const { return levels[index]; }
    uint8_t* Data(uint32_t image, uint32_t level) { return storage.get() + At(image, level); }
    const uint8_t* Data(uint32_t image, uint32_t level) const { return storage.get() + At(image, level); }
    uint8_t* Data(uint32_t level) { return Data(0, level); }
    const uint8_t* Data(uint32_t level) const { return Data(0, level); }

    // The number of levels to build for an image: the full chain when wanted
    // is 0, otherwise wanted but at most the full chain.
    static uint32_t ChainLength(uint32_t width, uint32_t height, uint32_t wanted, uint32_t depth = 1);

private:
    void Release();
    size_t At(uint32_t image, uint32_t level) const
    {
        return static_cast<size_t>(image * imageSize + levels[level].offset);
    }

    uint32_t format = 0;
    ChainShape shape = {TextureKind::Planar, 0, 0, 0, 0, 0};
    uint64_t imageSize = 0;
    MipLevel levels[MaxLevels] = {};
    std::unique_ptr<uint8_t[]> storage;
};

#endif
