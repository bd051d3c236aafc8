// Arbitrary bytes into the DDS reader. A refused file describes nothing; an
// accepted one describes a shape the device takes and levels that follow the
// header (and palette) back to back, image after image, lie inside the
// buffer and need every byte up to the last one. Accepted files then go
// through the decoder the texture loader uses: widening, copying into a mip
// chain and generating the missing levels.
#include "DdsDecoder.h"
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
    Require(dds.LevelCount() == 0 && dds.Width() == 0 && dds.Height() == 0 && dds.Depth() == 0 &&
                dds.ArraySize() == 0 && dds.Format() == 0,
            "a refused file describes no texture");
}

uint32_t Halved(uint32_t size, uint32_t level)
{
    return size >> level ? size >> level : 1;
}

void CheckShape(const DdsFile& dds)
{
    const bool volume = dds.Kind() == TextureKind::Volume;
    const uint32_t limit = volume ? DdsFile::MaxVolumeDimension : DdsFile::MaxDimension;
    Require(dds.Width() >= 1 && dds.Width() <= limit && dds.Height() >= 1 && dds.Height() <= limit &&
                dds.Depth() >= 1 && dds.Depth() <= limit,
            "the size is one the device takes");
    Require(volume || dds.Depth() == 1, "only volumes have depth");
    Require(dds.ArraySize() >= 1 && dds.ArraySize() <= DdsFile::MaxArraySize, "the array size is one the device takes");
    Require(!volume || dds.ArraySize() == 1, "a volume is one image");
    Require(dds.Kind() != TextureKind::Cube || (dds.ArraySize() % 6 == 0 && dds.Width() == dds.Height()),
            "cube maps have six square faces");
    Require(dds.LevelCount() >= 1 && dds.LevelCount() <= DdsFile::FullChainLength(dds.Width(), dds.Height(), dds.Depth()),
            "the level count fits the size");
    Require(PixelFormatTable::Find(dds.Format()) != nullptr, "the format is a known one");
    Require((dds.Encoding() == SourceEncoding::AsStored) ==
                (PixelWidener::TargetFormat(dds.Encoding()) == DxgiFormat::Unknown),
            "widened files name their target format");
    Require(PixelWidener::UsesPalette(dds.Encoding()) == (dds.PaletteOffset() != 0), "palettes go with indices");
}

// Returns the end of the last level of the last image.
uint64_t CheckLevels(const DdsFile& dds, const uint8_t* data, size_t size)
{
    uint64_t end = HasExtendedHeader(data, size) ? 148 : 128;
    if (dds.PaletteOffset() != 0)
    {
        Require(dds.PaletteOffset() == end, "the palette follows the header");
        end += PixelWidener::PaletteBytes;
    }
    const uint32_t storedBits = PixelWidener::StoredBits(dds.Encoding());
    for (uint32_t image = 0; image < dds.ArraySize(); ++image)
        for (uint32_t i = 0; i < dds.LevelCount(); ++i)
        {
            const DdsLevel& level = dds.Level(i);
            Require(level.width == Halved(dds.Width(), i) && level.height == Halved(dds.Height(), i) &&
                        level.depth == Halved(dds.Depth(), i),
                    "each level halves the one above");
            Require(dds.LevelOffset(image, i) == end, "levels follow the header back to back");
            Require(level.size > 0 && level.size == static_cast<uint64_t>(level.rowPitch) * level.rowCount * level.depth,
                    "a level is its rows");
            Require(end <= size && size - end >= level.size, "every level lies inside the buffer");
            if (storedBits != 0)
                Require(static_cast<uint64_t>(level.rowPitch) * 8 >= static_cast<uint64_t>(level.width) * storedBits &&
                            level.rowCount == level.height,
                        "a widened row holds its texels");
            end += level.size;
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
                exact.Encoding() == dds.Encoding() && exact.ArraySize() == dds.ArraySize() &&
                exact.Depth() == dds.Depth() && exact.Kind() == dds.Kind(),
            "trailing bytes change nothing");
}

// The loader's default, the full chain. Widening to four channels (at most 4
// x) and the generated levels (at most as much again, for an image one texel
// thin) bound what the chain may take for the file's texels.
void Decode(const DdsFile& dds, const uint8_t* data)
{
    MipChain chain;
    Require(DdsDecoder::Decode(dds, data, 0, chain), "an accepted file's chain can be laid out");
    Require(chain.Kind() == dds.Kind() && chain.ArraySize() == dds.ArraySize() &&
                chain.Level(0).depth == dds.Depth() && chain.LevelCount() >= dds.LevelCount(),
            "the chain has the file's shape and at least its levels");
    uint64_t stored = 0;
    for (uint32_t i = 0; i < dds.LevelCount(); ++i)
        stored += dds.Level(i).size;
    uint64_t total = 0;
    for (uint32_t i = 0; i < chain.LevelCount(); ++i)
        total += chain.Level(i).size;
    Require(total <= 8 * stored, "the chain takes memory the file's texels justify");
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
    CheckShape(dds);
    const uint64_t end = CheckLevels(dds, data, size);
    CheckNeedsExactlyItsLevels(dds, data, end);
    Decode(dds, data);
    return 0;
}
