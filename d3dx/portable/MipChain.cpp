#include "MipChain.h"

#include "DdsFile.h"
#include "PixelFormatTable.h"

#include <cstring>
#include <new>

namespace
{
uint64_t LoadUnsigned(const uint8_t* p, uint32_t bytes)
{
    uint64_t value = 0;
    for (uint32_t i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(p[i]) << (8 * i);
    return value;
}

void StoreUnsigned(uint8_t* p, uint32_t bytes, uint64_t value)
{
    for (uint32_t i = 0; i < bytes; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

int64_t LoadSigned(const uint8_t* p, uint32_t bytes)
{
    if (bytes == 0 || bytes > 8)
        return 0;  // no channel of the table; a shift by 64 would be undefined
    const uint64_t value = LoadUnsigned(p, bytes);
    const uint32_t shift = 64 - 8 * bytes;
    return static_cast<int64_t>(value << shift) >> shift;
}

float HalfToFloat(uint16_t half)
{
    const uint32_t sign = static_cast<uint32_t>(half & 0x8000) << 16;
    const uint32_t exponent = (half >> 10) & 0x1F;
    const uint32_t mantissa = half & 0x3FF;
    float magnitude;
    if (exponent == 0)
        magnitude = static_cast<float>(mantissa) / 16777216.0f;  // subnormal: m x 2^-24
    else if (exponent == 31)
    {
        const uint32_t bits = 0x7F800000u | (mantissa << 13);
        std::memcpy(&magnitude, &bits, sizeof(magnitude));
    }
    else
    {
        const uint32_t bits = ((exponent + 112) << 23) | (mantissa << 13);
        std::memcpy(&magnitude, &bits, sizeof(magnitude));
    }
    uint32_t bits;
    std::memcpy(&bits, &magnitude, sizeof(bits));
    bits |= sign;
    float result;
    std::memcpy(&result, &bits, sizeof(result));
    return result;
}

// Rounds to the nearest half, ties to even; overflow becomes infinity.
uint16_t FloatToHalf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    const uint32_t sign = (bits >> 16) & 0x8000;
    const uint32_t magnitude = bits & 0x7FFFFFFF;
    if (magnitude >= 0x7F800000)
        return static_cast<uint16_t>(sign | 0x7C00 | (magnitude > 0x7F800000 ? 0x200 : 0));
    if (magnitude >= 0x477FF000)  // 65520 and above round beyond the largest half
        return static_cast<uint16_t>(sign | 0x7C00);

    uint32_t mantissa;
    uint32_t shift;
    uint32_t base;
    if (magnitude < 0x38800000)
    {
        // Subnormal half: the mantissa with its hidden bit, shifted further.
        const uint32_t exponent = magnitude >> 23;
        shift = 126 - exponent;
        if (shift > 24)
            return static_cast<uint16_t>(sign);
        mantissa = (magnitude & 0x7FFFFF) | 0x800000;
        base = 0;
    }
    else
    {
        shift = 13;
        mantissa = magnitude & 0x7FFFFF;
        base = ((magnitude >> 23) - 112) << 10;
    }
    uint32_t half = base + (mantissa >> shift);
    const uint32_t rest = mantissa & ((1u << shift) - 1);
    const uint32_t halfway = 1u << (shift - 1);
    if (rest > halfway || (rest == halfway && (half & 1) != 0))
        ++half;  // a carry into the exponent is still the right value
    return static_cast<uint16_t>(sign | half);
}

void AverageChannel(const PixelFormatInfo& info, const uint8_t* const texels[4], size_t at, uint8_t* out)
{
    const uint32_t bytes = info.channelBytes;
    switch (info.kind)
    {
    case ChannelKind::Unorm:
    case ChannelKind::Uint:
    {
        uint64_t sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += LoadUnsigned(texels[i] + at, bytes);
        StoreUnsigned(out, bytes, (sum + 2) / 4);
        break;
    }
    case ChannelKind::Snorm:
    case ChannelKind::Sint:
    {
        int64_t sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += LoadSigned(texels[i] + at, bytes);
        const int64_t average = sum >= 0 ? (sum + 2) / 4 : -((-sum + 2) / 4);
        StoreUnsigned(out, bytes, static_cast<uint64_t>(average));
        break;
    }
    case ChannelKind::Float:
    {
        double sum = 0.0;
        for (int i = 0; i < 4; ++i)
        {
            if (bytes == 2)
                sum += HalfToFloat(static_cast<uint16_t>(LoadUnsigned(texels[i] + at, 2)));
            else
            {
                float value;
                std::memcpy(&value, texels[i] + at, sizeof(value));
                sum += value;
            }
        }
        const float average = static_cast<float>(sum / 4.0);
        if (bytes == 2)
            StoreUnsigned(out, 2, FloatToHalf(average));
        else
            std::memcpy(out, &average, sizeof(average));
        break;
    }
    case ChannelKind::None:
        break;
    }
}

void FilterLevel(const PixelFormatInfo& info, const MipLevel& source, const uint8_t* sourceData,
                 const MipLevel& target, uint8_t* targetData)
{
    const size_t texelBytes = info.bitsPerPixel / 8;
    for (uint32_t y = 0; y < target.height; ++y)
    {
        const uint32_t y0 = 2 * y < source.height ? 2 * y : source.height - 1;
        const uint32_t y1 = 2 * y + 1 < source.height ? 2 * y + 1 : source.height - 1;
        const uint8_t* row0 = sourceData + static_cast<size_t>(y0) * source.rowPitch;
        const uint8_t* row1 = sourceData + static_cast<size_t>(y1) * source.rowPitch;
        uint8_t* out = targetData + static_cast<size_t>(y) * target.rowPitch;
        for (uint32_t x = 0; x < target.width; ++x, out += texelBytes)
        {
            const uint32_t x0 = 2 * x < source.width ? 2 * x : source.width - 1;
            const uint32_t x1 = 2 * x + 1 < source.width ? 2 * x + 1 : source.width - 1;
            const uint8_t* const texels[4] = {row0 + x0 * texelBytes, row0 + x1 * texelBytes,
                                              row1 + x0 * texelBytes, row1 + x1 * texelBytes};
            for (size_t c = 0; c < info.channelCount; ++c)
                AverageChannel(info, texels, c * info.channelBytes, out + c * info.channelBytes);
        }
    }
}
}

uint32_t MipChain::ChainLength(uint32_t width, uint32_t height, uint32_t wanted)
{
    const uint32_t full = DdsFile::FullChainLength(width, height);
    return wanted == 0 || wanted > full ? full : wanted;
}

void MipChain::Release()
{
    storage.reset();
    format = 0;
    levelCount = 0;
}

bool MipChain::Allocate(uint32_t newFormat, uint32_t width, uint32_t height, uint32_t newLevelCount)
{
    Release();
    const PixelFormatInfo* info = PixelFormatTable::Find(newFormat);
    if (!info || width == 0 || height == 0 || width > MaxDimension || height > MaxDimension ||
        newLevelCount == 0 || newLevelCount > MaxLevels ||
        newLevelCount > DdsFile::FullChainLength(width, height))
        return false;

    uint64_t total = 0;
    for (uint32_t i = 0; i < newLevelCount; ++i)
    {
        MipLevel& level = levels[i];
        level.width = width >> i ? width >> i : 1;
        level.height = height >> i ? height >> i : 1;
        level.rowPitch = static_cast<uint32_t>(PixelFormatTable::RowBytes(*info, level.width));
        level.rowCount = static_cast<uint32_t>(PixelFormatTable::RowCount(*info, level.height));
        level.size = static_cast<uint64_t>(level.rowPitch) * level.rowCount;
        level.offset = total;
        total += level.size;
    }
    if (total > static_cast<uint64_t>(SIZE_MAX))
        return false;

    storage.reset(new (std::nothrow) uint8_t[static_cast<size_t>(total)]);
    if (!storage)
        return false;
    format = newFormat;
    levelCount = newLevelCount;
    return true;
}

bool MipChain::GenerateFrom(uint32_t firstLevel)
{
    if (firstLevel >= levelCount)
        return true;
    const PixelFormatInfo* info = PixelFormatTable::Find(format);
    if (!info || !PixelFormatTable::CanFilter(*info))
        return false;
    for (uint32_t i = firstLevel > 0 ? firstLevel : 1; i < levelCount; ++i)
        FilterLevel(*info, levels[i - 1], Data(i - 1), levels[i], Data(i));
    return true;
}
