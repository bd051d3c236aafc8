#include "DdsDecoder.h"

#include "DdsFile.h"
#include "MipChain.h"
#include "PixelFormatTable.h"

#include <cstring>

namespace
{
uint32_t RoundUpToBlocks(uint32_t size)
{
    return (size + 3) & ~3u;
}
}

bool DdsDecoder::Decode(const DdsFile& dds, const uint8_t* data, uint32_t wantedLevels, MipChain& chain)
{
    const PixelFormatInfo* info = PixelFormatTable::Find(dds.Format());
    if (!info)
        return false;
    const uint32_t stored = dds.LevelCount();
    const bool blocks = PixelFormatTable::IsBlockCompressed(*info);

    ChainShape shape;
    shape.kind = dds.Kind();
    shape.width = blocks ? RoundUpToBlocks(dds.Width()) : dds.Width();
    shape.height = blocks ? RoundUpToBlocks(dds.Height()) : dds.Height();
    shape.depth = dds.Depth();
    shape.arraySize = dds.ArraySize();
    shape.levelCount = MipChain::ChainLength(dds.Width(), dds.Height(), wantedLevels, dds.Depth());
    if (!PixelFormatTable::CanFilter(*info) && shape.levelCount > stored)
        shape.levelCount = stored;
    if (!chain.Allocate(dds.Format(), shape))
        return false;

    const uint32_t copied = shape.levelCount < stored ? shape.levelCount : stored;
    for (uint32_t image = 0; image < shape.arraySize; ++image)
        for (uint32_t level = 0; level < copied; ++level)
            CopyStoredLevel(dds, data, image, level, chain);
    chain.GenerateFrom(copied);
    return true;
}

// A padded block level may hold more blocks than the file's; those stay zero.
void DdsDecoder::CopyStoredLevel(const DdsFile& dds, const uint8_t* data, uint32_t image, uint32_t level,
                                 MipChain& chain)
{
    const DdsLevel& stored = dds.Level(level);
    const MipLevel& target = chain.Level(level);
    uint8_t* destination = chain.Data(image, level);
    if (target.size > stored.size)
        std::memset(destination, 0, static_cast<size_t>(target.size));
    const uint8_t* palette = dds.PaletteOffset() ? data + dds.PaletteOffset() : nullptr;
    const uint8_t* source = data + dds.LevelOffset(image, level);
    const size_t targetSlice = static_cast<size_t>(target.rowPitch) * target.rowCount;
    for (uint32_t z = 0; z < stored.depth; ++z)
        for (uint32_t row = 0; row < stored.rowCount; ++row)
        {
            const uint8_t* from = source + (static_cast<uint64_t>(z) * stored.rowCount + row) * stored.rowPitch;
            uint8_t* to = destination + z * targetSlice + static_cast<size_t>(row) * target.rowPitch;
            if (dds.Encoding() == SourceEncoding::AsStored)
                std::memcpy(to, from, stored.rowPitch);
            else
                PixelWidener::WidenRow(dds.Encoding(), from, stored.width, to, palette);
        }
}
