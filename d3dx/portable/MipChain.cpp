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

// The average of count texels (4 or 8), rounded to nearest.
void AverageChannel(const PixelFormatInfo& info, const uint8_t* const texels[], int count, size_t at, uint8_t* out)
{
    const uint32_t bytes = info.channelBytes;
    switch (info.kind)
    {
    case ChannelKind::Unorm:
    case ChannelKind::Uint:
    {
        uint64_t sum = 0;
        for (int i = 0; i < count; ++i)
            sum += LoadUnsigned(texels[i] + at, bytes);
        StoreUnsigned(out, bytes, (sum + count / 2) / count);
        break;
    }
    case ChannelKind::Snorm:
    case ChannelKind::Sint:
    {
        int64_t sum = 0;
        for (int i = 0; i < count; ++i)
            sum += LoadSigned(texels[i] + at, bytes);
        const int64_t average = sum >= 0 ? (sum + count / 2) / count : -((-sum + count / 2) / count);
        StoreUnsigned(out, bytes, static_cast<uint64_t>(average));
        break;
    }
    case ChannelKind::Float:
    {
        double sum = 0.0;
        for (int i = 0; i < count; ++i)
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
        const float average = static_cast<float>(sum / count);
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

// The two texels of the level above that one texel covers along an axis.
void Pair(uint32_t at, uint32_t sourceSize, uint32_t pair[2])
{
    pair[0] = 2 * at < sourceSize ? 2 * at : sourceSize - 1;
    pair[1] = 2 * at + 1 < sourceSize ? 2 * at + 1 : sourceSize - 1;
}

void FilterLevel(const PixelFormatInfo& info, const MipLevel& source, const uint8_t* sourceData,
                 const MipLevel& target, uint8_t* targetData)
{
    const size_t texelBytes = info.bitsPerPixel / 8;
    const size_t sourceSlice = static_cast<size_t>(source.rowPitch) * source.rowCount;
    const size_t targetSlice = static_cast<size_t>(target.rowPitch) * target.rowCount;
    // A volume whose level above is one slice thin is filtered like a 2D image.
    const int count = source.depth > 1 ? 8 : 4;
    for (uint32_t z = 0; z < target.depth; ++z)
    {
        uint32_t zs[2];
        Pair(z, source.depth, zs);
        for (uint32_t y = 0; y < target.height; ++y)
        {
            uint32_t ys[2];
            Pair(y, source.height, ys);
            const uint8_t* rows[4];
            for (int i = 0; i < 4; ++i)
                rows[i] = sourceData + zs[i / 2] * sourceSlice + static_cast<size_t>(ys[i % 2]) * source.rowPitch;
            uint8_t* out = targetData + z * targetSlice + static_cast<size_t>(y) * target.rowPitch;
            for (uint32_t x = 0; x < target.width; ++x, out += texelBytes)
            {
                uint32_t xs[2];
                Pair(x, source.width, xs);
                const uint8_t* texels[8];
                for (int i = 0; i < count; ++i)
                    texels[i] = rows[i / 2] + xs[i % 2] * texelBytes;
                for (size_t c = 0; c < info.channelCount; ++c)
                    AverageChannel(info, texels, count, c * info.channelBytes, out + c * info.channelBytes);
            }
        }
    }
}
}

uint32_t MipChain::ChainLength(uint32_t width, uint32_t height, uint32_t wanted, uint32_t depth)
{
    const uint32_t full = DdsFile::FullChainLength(width, height, depth);
    return wanted == 0 || wanted > full ? full : wanted;
}

void MipChain::Release()
{
    storage.reset();
    format = 0;
    shape = {TextureKind::Planar, 0, 0, 0, 0, 0};
    imageSize = 0;
}

bool MipChain::Allocate(uint32_t newFormat, uint32_t width, uint32_t height, uint32_t levelCount)
{
    ChainShape image;
    image.width = width;
    image.height = height;
    image.levelCount = levelCount;
    return Allocate(newFormat, image);
}

bool MipChain::Allocate(uint32_t newFormat, const ChainShape& newShape)
{
    Release();
    const PixelFormatInfo* info = PixelFormatTable::Find(newFormat);
    const ChainShape& s = newShape;
    if (!info || s.width == 0 || s.height == 0 || s.width > MaxDimension || s.height > MaxDimension ||
        s.depth == 0 || s.depth > DdsFile::MaxVolumeDimension || s.arraySize == 0 ||
        s.arraySize > DdsFile::MaxArraySize || s.levelCount == 0 || s.levelCount > MaxLevels ||
        s.levelCount > DdsFile::FullChainLength(s.width, s.height, s.depth))
        return false;

    uint64_t total = 0;
    for (uint32_t i = 0; i < s.levelCount; ++i)
    {
        MipLevel& level = levels[i];
        level.width = s.width >> i ? s.width >> i : 1;
        level.height = s.height >> i ? s.height >> i : 1;
        level.depth = s.depth >> i ? s.depth >> i : 1;
        level.rowPitch = static_cast<uint32_t>(PixelFormatTable::RowBytes(*info, level.width));
        level.rowCount = static_cast<uint32_t>(PixelFormatTable::RowCount(*info, level.height));
        level.size = static_cast<uint64_t>(level.rowPitch) * level.rowCount * level.depth;
        level.offset = total;
        total += level.size;
    }
    // At most 2^44 bytes an image, times 2^11 images: no overflow.
    if (total * s.arraySize > static_cast<uint64_t>(SIZE_MAX))
        return false;

    storage.reset(new (std::nothrow) uint8_t[static_cast<size_t>(total * s.arraySize)]);
    if (!storage)
        return false;
    format = newFormat;
    shape = s;
    imageSize = total;
    return true;
}

bool MipChain::GenerateFrom(uint32_t firstLevel)
{
    if (firstLevel >= shape.levelCount)
        return true;
    const PixelFormatInfo* info = PixelFormatTable::Find(format);
    if (!info || !PixelFormatTable::CanFilter(*info))
        return false;
    for (uint32_t image = 0; image < shape.arraySize; ++image)
        for (uint32_t i = firstLevel > 0 ? firstLevel : 1; i < shape.levelCount; ++i)
            FilterLevel(*info, levels[i - 1], Data(image, i - 1), levels[i], Data(image, i));
    return true;
}
