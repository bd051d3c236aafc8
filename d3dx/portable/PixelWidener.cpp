#include "PixelWidener.h"

#include "PixelFormatTable.h"

#include <cstddef>

namespace
{
uint32_t Load16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

// Scales an n-bit channel to 8 bits exactly (v * 255 / max, rounded).
uint8_t Expand(uint32_t value, uint32_t bits)
{
    const uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

void Store(uint8_t* target, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    target[0] = r;
    target[1] = g;
    target[2] = b;
    target[3] = a;
}

void WidenTexel(SourceEncoding encoding, const uint8_t* s, uint8_t* t, const uint8_t* palette)
{
    switch (encoding)
    {
    case SourceEncoding::Bgr565:
    {
        const uint32_t v = Load16(s);
        Store(t, Expand(v >> 11, 5), Expand((v >> 5) & 0x3F, 6), Expand(v & 0x1F, 5), 255);
        break;
    }
    case SourceEncoding::Bgra5551:
    case SourceEncoding::Bgrx5551:
    {
        const uint32_t v = Load16(s);
        const bool opaque = encoding == SourceEncoding::Bgrx5551 || (v & 0x8000) != 0;
        Store(t, Expand((v >> 10) & 0x1F, 5), Expand((v >> 5) & 0x1F, 5), Expand(v & 0x1F, 5),
              opaque ? 255 : 0);
        break;
    }
    case SourceEncoding::Bgra4444:
    case SourceEncoding::Bgrx4444:
    {
        const uint32_t v = Load16(s);
        const uint8_t alpha = encoding == SourceEncoding::Bgrx4444 ? 255 : Expand(v >> 12, 4);
        Store(t, Expand((v >> 8) & 0xF, 4), Expand((v >> 4) & 0xF, 4), Expand(v & 0xF, 4), alpha);
        break;
    }
    case SourceEncoding::Bgr888:
        Store(t, s[2], s[1], s[0], 255);
        break;
    case SourceEncoding::Rgbx8888:
        Store(t, s[0], s[1], s[2], 255);
        break;
    case SourceEncoding::L8:
        Store(t, s[0], s[0], s[0], 255);
        break;
    case SourceEncoding::A8L8:
        Store(t, s[0], s[0], s[0], s[1]);
        break;
    case SourceEncoding::A4L4:
    {
        const uint8_t luminance = Expand(s[0] & 0xF, 4);
        Store(t, luminance, luminance, luminance, Expand(s[0] >> 4, 4));
        break;
    }
    case SourceEncoding::P8:
    case SourceEncoding::A8P8:
    {
        const uint8_t* entry = palette + 4 * static_cast<size_t>(s[0]);
        Store(t, entry[0], entry[1], entry[2], encoding == SourceEncoding::A8P8 ? s[1] : entry[3]);
        break;
    }
    case SourceEncoding::L16:
        // Four 16-bit channels: L, L, L, opaque.
        for (size_t c = 0; c < 3; ++c)
        {
            t[2 * c] = s[0];
            t[2 * c + 1] = s[1];
        }
        t[6] = 0xFF;
        t[7] = 0xFF;
        break;
    case SourceEncoding::AsStored:
        break;
    }
}
}

uint32_t PixelWidener::StoredBits(SourceEncoding encoding)
{
    switch (encoding)
    {
    case SourceEncoding::AsStored: return 0;
    case SourceEncoding::L8:
    case SourceEncoding::A4L4:
    case SourceEncoding::P8: return 8;
    case SourceEncoding::Bgr888: return 24;
    case SourceEncoding::Rgbx8888: return 32;
    default: return 16;
    }
}

uint32_t PixelWidener::TargetFormat(SourceEncoding encoding)
{
    switch (encoding)
    {
    case SourceEncoding::AsStored: return DxgiFormat::Unknown;
    case SourceEncoding::L16: return DxgiFormat::R16G16B16A16Unorm;
    default: return DxgiFormat::R8G8B8A8Unorm;
    }
}

void PixelWidener::WidenRow(SourceEncoding encoding, const uint8_t* source, uint32_t width, uint8_t* target,
                           const uint8_t* palette)
{
    const uint32_t sourceBytes = StoredBits(encoding) / 8;
    const uint32_t targetBytes = encoding == SourceEncoding::L16 ? 8 : 4;
    for (uint32_t x = 0; x < width; ++x)
        WidenTexel(encoding, source + static_cast<size_t>(x) * sourceBytes,
                   target + static_cast<size_t>(x) * targetBytes, palette);
}
