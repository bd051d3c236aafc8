#include "DdsImage.h"

#include "DdsFile.h"
#include "ImageDecoder.h"
#include "PixelFormatTable.h"
#include "SrgbCurve.h"

#include <squish.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
enum class Texels
{
    Unorm8,
    Bgra8,
    Bgrx8,
    Unorm16,
    Rgb10A2,
    Float16,
    Float32,
    Rg11B10Float,
    Rgb9E5,
    Bc1,
    Bc2,
    Bc3,
    Bc4,
    Bc5
};

struct Layout
{
    std::uint32_t format;
    Texels texels;
    int channels;
};

// The formats baked, after DdsFile has widened the legacy layouts. sRGB
// members sit beside their UNORM ones: their bytes are display values.
const Layout Layouts[] = {
    {2, Texels::Float32, 4},  {6, Texels::Float32, 3},       {10, Texels::Float16, 4}, {11, Texels::Unorm16, 4},
    {16, Texels::Float32, 2}, {24, Texels::Rgb10A2, 4},      {26, Texels::Rg11B10Float, 3},
    {28, Texels::Unorm8, 4},  {29, Texels::Unorm8, 4},       {34, Texels::Float16, 2}, {35, Texels::Unorm16, 2},
    {41, Texels::Float32, 1}, {49, Texels::Unorm8, 2},       {54, Texels::Float16, 1}, {56, Texels::Unorm16, 1},
    {61, Texels::Unorm8, 1},  {65, Texels::Unorm8, 1},       {67, Texels::Rgb9E5, 3},  {71, Texels::Bc1, 4},
    {72, Texels::Bc1, 4},     {74, Texels::Bc2, 4},          {75, Texels::Bc2, 4},     {77, Texels::Bc3, 4},
    {78, Texels::Bc3, 4},     {80, Texels::Bc4, 1},          {83, Texels::Bc5, 2},     {87, Texels::Bgra8, 4},
    {88, Texels::Bgrx8, 4},   {91, Texels::Bgra8, 4},        {93, Texels::Bgrx8, 4},
};

const Layout* LayoutOf(std::uint32_t format)
{
    for (const Layout& layout : Layouts)
        if (layout.format == format)
            return &layout;
    return nullptr;
}

std::string Refusal(std::uint32_t format)
{
    const PixelFormatInfo* info = PixelFormatTable::Find(format);
    const ChannelKind kind = info != nullptr ? info->kind : ChannelKind::None;
    std::string why = "DDS of DXGI format " + std::to_string(format) + ", ";
    if (kind == ChannelKind::Snorm || format == 81 || format == 84)
        return why + "signed values (normals or offsets), not colours";
    if (kind == ChannelKind::Uint || kind == ChannelKind::Sint || format == 25)
        return why + "integers, not colours";
    if (format == 95 || format == 96)
        return why + "BC6H blocks, which no library the converter uses decodes";
    if (format == 98 || format == 99)
        return why + "BC7 blocks, which no library the converter uses decodes";
    return why + "which the converter does not bake";
}

std::uint32_t Load16(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

std::uint32_t Load32(const std::uint8_t* p)
{
    return Load16(p) | Load16(p + 2) << 16;
}

// An unsigned float of a 5-bit exponent (bias 15) and mantissaBits below
// it: half floats' magnitude, and R11G11B10's channels.
float SmallFloat(std::uint32_t bits, int mantissaBits)
{
    const std::uint32_t exponent = bits >> mantissaBits, mantissa = bits & ((1u << mantissaBits) - 1);
    const float fraction = std::ldexp(float(mantissa), -mantissaBits);
    if (exponent == 31)
        return mantissa == 0 ? INFINITY : 0.0f; // not a number: dark
    if (exponent == 0)
        return std::ldexp(fraction, -14);
    return std::ldexp(1 + fraction, int(exponent) - 15);
}

float Half(std::uint32_t bits)
{
    const float magnitude = SmallFloat(bits & 0x7FFF, 10);
    return (bits & 0x8000) != 0 ? -magnitude : magnitude;
}

float Single(const std::uint8_t* p)
{
    const std::uint32_t bits = Load32(p);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float Normalized(std::uint32_t value, std::uint32_t largest)
{
    return static_cast<float>(value) / static_cast<float>(largest);
}

// Texel x of a row: its channels, 0 to 1 for normalized formats, linear
// light for float ones.
void ReadTexel(Texels texels, int channels, const std::uint8_t* row, std::uint32_t x, float value[4])
{
    const std::size_t at = std::size_t(x);
    switch (texels)
    {
    case Texels::Unorm8:
        for (int c = 0; c < channels; ++c)
            value[c] = Normalized(row[at * channels + c], 255);
        break;
    case Texels::Bgra8:
    case Texels::Bgrx8:
        for (int c = 0; c < 4; ++c)
            value[c] = Normalized(row[4 * at + (c < 3 ? 2 - c : 3)], 255);
        value[3] = texels == Texels::Bgrx8 ? 1.0f : value[3];
        break;
    case Texels::Unorm16:
        for (int c = 0; c < channels; ++c)
            value[c] = Normalized(Load16(row + 2 * (at * channels + c)), 65535);
        break;
    case Texels::Rgb10A2:
    {
        const std::uint32_t v = Load32(row + 4 * at);
        for (int c = 0; c < 3; ++c)
            value[c] = Normalized(v >> (10 * c) & 0x3FF, 1023);
        value[3] = Normalized(v >> 30, 3);
        break;
    }
    case Texels::Float16:
        for (int c = 0; c < channels; ++c)
            value[c] = Half(Load16(row + 2 * (at * channels + c)));
        break;
    case Texels::Float32:
        for (int c = 0; c < channels; ++c)
            value[c] = Single(row + 4 * (at * channels + c));
        break;
    case Texels::Rg11B10Float:
    {
        const std::uint32_t v = Load32(row + 4 * at);
        value[0] = SmallFloat(v & 0x7FF, 6);
        value[1] = SmallFloat(v >> 11 & 0x7FF, 6);
        value[2] = SmallFloat(v >> 22, 5);
        break;
    }
    case Texels::Rgb9E5:
    {
        const std::uint32_t v = Load32(row + 4 * at);
        const int exponent = int(v >> 27) - 15 - 9;
        for (int c = 0; c < 3; ++c)
            value[c] = std::ldexp(float(v >> (9 * c) & 0x1FF), exponent);
        break;
    }
    default:
        break;
    }
}

std::uint8_t Unit(float value)
{
    return static_cast<std::uint8_t>(std::lround(std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f) * 255));
}

bool IsFloat(Texels texels)
{
    return texels == Texels::Float16 || texels == Texels::Float32 || texels == Texels::Rg11B10Float ||
           texels == Texels::Rgb9E5;
}

// A channel alone is grey; two are red and green; missing alpha is opaque.
void Display(const Layout& layout, const float value[4], std::uint8_t* texel)
{
    const int n = layout.channels;
    const float rgba[4] = {value[0], n == 1 ? value[0] : value[1], n == 1 ? value[0] : n == 2 ? 0.0f : value[2],
                           n == 4 ? value[3] : 1.0f};
    const bool linear = IsFloat(layout.texels);
    for (int c = 0; c < 3; ++c)
        texel[c] = linear ? SrgbCurve::Encode(rgba[c]) : Unit(rgba[c]);
    texel[3] = Unit(rgba[3]);
}

// A BC4 block is laid out as BC3's alpha block: decoded as one, behind a
// black colour block.
void DecodeChannel(const std::uint8_t* block, std::uint8_t* texels, int channel)
{
    std::uint8_t bc3[16] = {};
    std::memcpy(bc3, block, 8);
    std::uint8_t decoded[64];
    squish::Decompress(decoded, bc3, squish::kDxt5);
    for (int i = 0; i < 16; ++i)
        texels[4 * i + channel] = decoded[4 * i + 3];
}

// 16 texels, RGBA, rows from the top.
void DecodeBlock(Texels texels, const std::uint8_t* block, std::uint8_t* out)
{
    switch (texels)
    {
    case Texels::Bc1: squish::Decompress(out, block, squish::kDxt1); break;
    case Texels::Bc2: squish::Decompress(out, block, squish::kDxt3); break;
    case Texels::Bc3: squish::Decompress(out, block, squish::kDxt5); break;
    case Texels::Bc4:
        DecodeChannel(block, out, 0);
        for (std::size_t i = 0; i < 16; ++i)
            out[4 * i + 1] = out[4 * i + 2] = out[4 * i];
        break;
    default:
        DecodeChannel(block, out, 0);
        DecodeChannel(block + 8, out, 1);
        for (int i = 0; i < 16; ++i)
            out[4 * i + 2] = 0;
        break;
    }
    if (texels == Texels::Bc4 || texels == Texels::Bc5)
        for (int i = 0; i < 16; ++i)
            out[4 * i + 3] = 255;
}
}

bool DdsImage::Recognises(const std::uint8_t* bytes, std::size_t size)
{
    return size >= 4 && std::memcmp(bytes, "DDS ", 4) == 0;
}

bool DdsImage::Parse(const std::uint8_t* bytes, std::size_t size, DdsFile& dds, std::string& why)
{
    if (!dds.Parse(bytes, size))
    {
        why = "a DDS file cut short, damaged, or of a shape or format no texture takes";
        return false;
    }
    if (LayoutOf(dds.Format()) == nullptr)
    {
        why = Refusal(dds.Format());
        return false;
    }
    return ImageDecoder::WithinCaps(dds.Width(), dds.Height(), why);
}

bool DdsImage::ReadSize(const std::uint8_t* bytes, std::size_t size, int& width, int& height, std::string& why)
{
    DdsFile dds;
    if (!Parse(bytes, size, dds, why))
        return false;
    width = static_cast<int>(dds.Width());
    height = static_cast<int>(dds.Height());
    return true;
}

bool DdsImage::Decode(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& why)
{
    DdsFile dds;
    if (!Parse(bytes, size, dds, why))
        return false;
    Image decoded;
    decoded.width = static_cast<int>(dds.Width());
    decoded.height = static_cast<int>(dds.Height());
    decoded.rgba.resize(std::size_t(dds.Width()) * dds.Height() * 4);
    const PixelFormatInfo* info = PixelFormatTable::Find(dds.Format());
    if (PixelFormatTable::IsBlockCompressed(*info))
        DecodeBlocks(dds, bytes, decoded);
    else
        DecodeRows(dds, bytes, decoded);
    image = std::move(decoded);
    return true;
}

// The top level's blocks, clipped to the image where its sides are not
// multiples of 4.
void DdsImage::DecodeBlocks(const DdsFile& dds, const std::uint8_t* bytes, Image& image)
{
    const Layout& layout = *LayoutOf(dds.Format());
    const DdsLevel& level = dds.Level(0);
    const std::uint32_t blockBytes = PixelFormatTable::Find(dds.Format())->blockBytes;
    const std::uint8_t* first = bytes + dds.LevelOffset(0, 0);
    std::uint8_t texels[64];
    for (std::uint32_t by = 0; by < level.rowCount; ++by)
        for (std::uint32_t bx = 0; bx < level.rowPitch / blockBytes; ++bx)
        {
            DecodeBlock(layout.texels, first + std::size_t(by) * level.rowPitch + std::size_t(bx) * blockBytes, texels);
            for (std::uint32_t y = 4 * by; y < std::min(4 * by + 4, level.height); ++y)
                for (std::uint32_t x = 4 * bx; x < std::min(4 * bx + 4, level.width); ++x)
                    std::memcpy(image.rgba.data() + 4 * (std::size_t(y) * level.width + x),
                                texels + 4 * (4 * std::size_t(y - 4 * by) + (x - 4 * bx)), 4);
        }
}

// Row by row; the legacy layouts DdsFile widens are widened first.
void DdsImage::DecodeRows(const DdsFile& dds, const std::uint8_t* bytes, Image& image)
{
    const Layout& layout = *LayoutOf(dds.Format());
    const DdsLevel& level = dds.Level(0);
    const std::uint8_t* first = bytes + dds.LevelOffset(0, 0);
    const std::uint8_t* palette = dds.PaletteOffset() != 0 ? bytes + dds.PaletteOffset() : nullptr;
    const bool widen = dds.Encoding() != SourceEncoding::AsStored;
    std::vector<std::uint8_t> widened(widen ? std::size_t(level.width) * PixelFormatTable::Find(dds.Format())->bitsPerPixel / 8 : 0);
    for (std::uint32_t y = 0; y < level.height; ++y)
    {
        const std::uint8_t* row = first + std::size_t(y) * level.rowPitch;
        if (widen)
        {
            PixelWidener::WidenRow(dds.Encoding(), row, level.width, widened.data(), palette);
            row = widened.data();
        }
        for (std::uint32_t x = 0; x < level.width; ++x)
        {
            float value[4] = {0, 0, 0, 1};
            ReadTexel(layout.texels, layout.channels, row, x, value);
            Display(layout, value, image.rgba.data() + 4 * (std::size_t(y) * level.width + x));
        }
    }
}
