// Arbitrary bytes into the DDS reader. A refused file describes nothing; an
// accepted one describes levels that follow the header back to back, lie
// inside the buffer and need every byte up to the last one. Accepted files
// then go through what the texture loader does with them: widening, copying
// into a mip chain and generating the missing levels.
#include "DdsFile.h"
#include "FuzzCheck.h"
#include "MipChain.h"
#include "PixelFormatTable.h"
#include "PixelWidener.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace
{
bool HasExtendedHeader(const uint8_t* data, size_t size)
{
    const uint32_t fourCCFlag = 0x4;
    return size >= 88 && (data[80] & fourCCFlag) != 0 && std::memcmp(data + 84, "DX10", 4) == 0;
}

void CheckRefused(const DdsFile& dds)
{
    Require(dds.LevelCount() == 0 && dds.Width() == 0 && dds.Height() == 0 && dds.Format() == 0,
            "a refused file describes no texture");
}

// Returns the end of the last level.
uint64_t CheckLevels(const DdsFile& dds, const uint8_t* data, size_t size)
{
    Require(dds.Width() >= 1 && dds.Width() <= DdsFile::MaxDimension && dds.Height() >= 1 &&
                dds.Height() <= DdsFile::MaxDimension,
            "the size is one the device takes");
    Require(dds.LevelCount() >= 1 && dds.LevelCount() <= DdsFile::FullChainLength(dds.Width(), dds.Height()),
            "the level count fits the size");
    Require(PixelFormatTable::Find(dds.Format()) != nullptr, "the format is a known one");
    Require((dds.Encoding() == SourceEncoding::AsStored) ==
                (PixelWidener::TargetFormat(dds.Encoding()) == DxgiFormat::Unknown),
            "widened files name their target format");

    uint64_t end = HasExtendedHeader(data, size) ? 148 : 128;
    for (uint32_t i = 0; i < dds.LevelCount(); ++i)
    {
        const DdsLevel& level = dds.Level(i);
        const uint32_t width = dds.Width() >> i ? dds.Width() >> i : 1;
        const uint32_t height = dds.Height() >> i ? dds.Height() >> i : 1;
        Require(level.width == width && level.height == height, "each level halves the one above");
        Require(level.offset == end, "levels follow the header back to back");
        Require(level.size > 0 && level.size == static_cast<uint64_t>(level.rowPitch) * level.rowCount,
                "a level is its rows");
        Require(level.offset <= size && size - level.offset >= level.size, "every level lies inside the buffer");
        const uint32_t storedBits = PixelWidener::StoredBits(dds.Encoding());
        if (storedBits != 0)
            Require(static_cast<uint64_t>(level.rowPitch) * 8 >= static_cast<uint64_t>(level.width) * storedBits &&
                        level.rowCount == level.height,
                    "a widened row holds its texels");
        end = level.offset + level.size;
    }
    return end;
}

// Trailing bytes do not matter; one byte less than the levels need does.
void CheckNeedsExactlyItsLevels(const DdsFile& dds, const uint8_t* data, uint64_t end)
{
    DdsFile shorter;
    Require(!shorter.Parse(data, static_cast<size_t>(end - 1)), "a file one byte short of its levels is refused");
    CheckRefused(shorter);
    DdsFile exact;
    Require(exact.Parse(data, static_cast<size_t>(end)), "a file without trailing bytes is accepted");
    Require(exact.LevelCount() == dds.LevelCount() && exact.Format() == dds.Format() &&
                exact.Encoding() == dds.Encoding(),
            "trailing bytes change nothing");
}

// As the texture loader copies a stored level into its chain.
void CopyStoredLevel(const DdsFile& dds, const uint8_t* data, uint32_t index, MipChain& chain)
{
    const DdsLevel& stored = dds.Level(index);
    const MipLevel& target = chain.Level(index);
    const bool widened = dds.Encoding() != SourceEncoding::AsStored;
    Require(target.rowCount >= stored.rowCount, "the chain level has the stored rows");
    Require(widened || target.rowPitch >= stored.rowPitch, "the chain level's rows hold the stored rows");
    if (target.size > stored.size)
        std::memset(chain.Data(index), 0, static_cast<size_t>(target.size));
    for (uint32_t row = 0; row < stored.rowCount; ++row)
    {
        const uint8_t* source = data + stored.offset + static_cast<uint64_t>(row) * stored.rowPitch;
        uint8_t* destination = chain.Data(index) + static_cast<size_t>(row) * target.rowPitch;
        if (widened)
            PixelWidener::WidenRow(dds.Encoding(), source, stored.width, destination);
        else
            std::memcpy(destination, source, stored.rowPitch);
    }
}

// Widening to four channels (at most 4 x) and the generated levels (at most
// as much again, for an image one texel thin) bound what the chain may take
// for the file's texels.
void CheckChainSize(const DdsFile& dds, const MipChain& chain)
{
    uint64_t stored = 0;
    for (uint32_t i = 0; i < dds.LevelCount(); ++i)
        stored += dds.Level(i).size;
    uint64_t total = 0;
    for (uint32_t i = 0; i < chain.LevelCount(); ++i)
        total += chain.Level(i).size;
    Require(total <= 8 * stored, "the chain takes memory the file's texels justify");
}

// The loader's default: the full chain, stored levels first, the rest
// generated where the format can be averaged; blocks padded to whole blocks.
void Decode(const DdsFile& dds, const uint8_t* data)
{
    const PixelFormatInfo* info = PixelFormatTable::Find(dds.Format());
    const uint32_t stored = dds.LevelCount();
    uint32_t levels = MipChain::ChainLength(dds.Width(), dds.Height(), 0);
    if (!PixelFormatTable::CanFilter(*info) && levels > stored)
        levels = stored;
    const bool blocks = PixelFormatTable::IsBlockCompressed(*info);
    const uint32_t width = blocks ? (dds.Width() + 3) & ~3u : dds.Width();
    const uint32_t height = blocks ? (dds.Height() + 3) & ~3u : dds.Height();

    MipChain chain;
    Require(chain.Allocate(dds.Format(), width, height, levels), "an accepted file's chain can be laid out");
    CheckChainSize(dds, chain);
    const uint32_t copied = levels < stored ? levels : stored;
    for (uint32_t i = 0; i < copied; ++i)
        CopyStoredLevel(dds, data, i, chain);
    Require(chain.GenerateFrom(copied), "missing levels are generated");
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DdsFile dds;
    if (!dds.Parse(data, size))
    {
        CheckRefused(dds);
        return 0;
    }
    const uint64_t end = CheckLevels(dds, data, size);
    CheckNeedsExactlyItsLevels(dds, data, end);
    Decode(dds, data);
    return 0;
}
