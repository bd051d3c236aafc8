// A texture's mip levels in CPU memory, packed with tight rows, and the box
// filter that makes the smaller levels from the larger ones.
#ifndef VEXELO_MIPCHAIN_H
#define VEXELO_MIPCHAIN_H

#include <cstddef>
#include <cstdint>
#include <memory>

struct MipLevel
{
    uint32_t width;
    uint32_t height;
    uint32_t rowPitch;   // bytes of a row of texels or of 4 x 4 blocks
    uint32_t rowCount;
    uint64_t offset;     // into the chain's storage
    uint64_t size;
};

class MipChain
{
public:
    static constexpr uint32_t MaxDimension = 16384;
    static constexpr uint32_t MaxLevels = 15;

    MipChain() = default;
    MipChain(const MipChain&) = delete;
    MipChain& operator=(const MipChain&) = delete;

    // Lays out levelCount levels of the DXGI format at that size and
    // allocates them (contents undefined). False for an unknown format, a
    // size outside 1..MaxDimension, a level count outside 1..full chain, or
    // when memory runs short; the chain is then empty.
    bool Allocate(uint32_t format, uint32_t width, uint32_t height, uint32_t levelCount);

    // Fills levels firstLevel.. by averaging 2 x 2 texels of the level above
    // (an edge texel is repeated where a level is odd-sized or one texel
    // thin). False, changing nothing, for formats that cannot be averaged.
    bool GenerateFrom(uint32_t firstLevel);

    uint32_t Format() const { return format; }
    uint32_t LevelCount() const { return levelCount; }
    const MipLevel& Level(uint32_t index) const { return levels[index]; }
    uint8_t* Data(uint32_t index) { return storage.get() + levels[index].offset; }
    const uint8_t* Data(uint32_t index) const { return storage.get() + levels[index].offset; }

    // The number of levels to build for an image: the full chain when wanted
    // is 0, otherwise wanted but at most the full chain.
    static uint32_t ChainLength(uint32_t width, uint32_t height, uint32_t wanted);

private:
    void Release();

    uint32_t format = 0;
    uint32_t levelCount = 0;
    MipLevel levels[MaxLevels] = {};
    std::unique_ptr<uint8_t[]> storage;
};

#endif
