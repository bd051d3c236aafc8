#include "DdsFile.h"

#include "PixelFormatTable.h"

namespace
{
const uint32_t Magic = 0x20534444;           // "DDS "
const uint32_t HeaderSize = 124;
const uint32_t PixelFormatSize = 32;
const uint32_t ExtendedHeaderSize = 20;
const uint64_t MaxFileSize = 0xFFFFFFFFull;

// Offsets in the file (after the 4-byte magic the 124-byte header follows).
const size_t HeaderAt = 4;
const size_t FlagsAt = HeaderAt + 4;
const size_t HeightAt = HeaderAt + 8;
const size_t WidthAt = HeaderAt + 12;
const size_t DepthAt = HeaderAt + 20;
const size_t MipCountAt = HeaderAt + 24;
const size_t PixelFormatAt = HeaderAt + 72;
const size_t Caps2At = HeaderAt + 108;
const size_t ExtendedAt = HeaderAt + HeaderSize;

const uint32_t FlagDepth = 0x800000;
const uint32_t Caps2Cubemap = 0x200;
const uint32_t Caps2AllFaces = 0xFC00;
const uint32_t Caps2Volume = 0x200000;

const uint32_t PfAlpha = 0x2;
const uint32_t PfFourCC = 0x4;
const uint32_t PfPalette8 = 0x20;
const uint32_t PfRgb = 0x40;
const uint32_t PfLuminance = 0x20000;

const uint32_t DimensionUnknown = 0;
const uint32_t DimensionTexture2D = 3;
const uint32_t DimensionTexture3D = 4;
const uint32_t MiscTextureCube = 0x4;
const uint32_t FacesPerCube = 6;

uint32_t Load32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint32_t FourCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

struct Masks
{
    uint32_t bits, r, g, b, a;
    bool Are(uint32_t bitCount, uint32_t rm, uint32_t gm, uint32_t bm, uint32_t am) const
    {
        return bits == bitCount && r == rm && g == gm && b == bm && a == am;
    }
    // Some writers repeat the luminance mask in green and blue.
    bool Luminance(uint32_t bitCount, uint32_t lm, uint32_t am) const
    {
        return bits == bitCount && r == lm && a == am && ((g == 0 && b == 0) || (g == lm && b == lm));
    }
};

// The DXGI format of a FourCC code, or Unknown.
uint32_t FormatOfFourCC(uint32_t code)
{
    switch (code)
    {
    case FourCC('D', 'X', 'T', '1'): return DxgiFormat::BC1Unorm;
    case FourCC('D', 'X', 'T', '2'):
    case FourCC('D', 'X', 'T', '3'): return DxgiFormat::BC2Unorm;
    case FourCC('D', 'X', 'T', '4'):
    case FourCC('D', 'X', 'T', '5'): return DxgiFormat::BC3Unorm;
    case FourCC('A', 'T', 'I', '1'):
    case FourCC('B', 'C', '4', 'U'): return DxgiFormat::BC4Unorm;
    case FourCC('B', 'C', '4', 'S'): return DxgiFormat::BC4Snorm;
    case FourCC('A', 'T', 'I', '2'):
    case FourCC('B', 'C', '5', 'U'): return DxgiFormat::BC5Unorm;
    case FourCC('B', 'C', '5', 'S'): return DxgiFormat::BC5Snorm;
    case 36: return DxgiFormat::R16G16B16A16Unorm;
    case 110: return DxgiFormat::R16G16B16A16Snorm;
    case 111: return DxgiFormat::R16Float;
    case 112: return DxgiFormat::R16G16Float;
    case 113: return DxgiFormat::R16G16B16A16Float;
    case 114: return DxgiFormat::R32Float;
    case 115: return DxgiFormat::R32G32Float;
    case 116: return DxgiFormat::R32G32B32A32Float;
    default: return DxgiFormat::Unknown;
    }
}
}

uint32_t DdsFile::FullChainLength(uint32_t w, uint32_t h, uint32_t d)
{
    uint32_t size = w > h ? w : h;
    size = size > d ? size : d;
    uint32_t length = 1;
    while (size > 1)
    {
        size /= 2;
        ++length;
    }
    return length;
}

bool DdsFile::Parse(const uint8_t* data, size_t size)
{
    Clear();
    if (!data || !ParseHeader(data, size) || !ParsePixelFormat(data, size) || !CheckLimits() || !LayOutLevels(size))
    {
        Clear();
        return false;
    }
    return true;
}

void DdsFile::Clear()
{
    format = DxgiFormat::Unknown;
    encoding = SourceEncoding::AsStored;
    kind = TextureKind::Planar;
    width = height = depth = arraySize = levelCount = declaredLevels = 0;
    headerFlags = caps2 = depthField = 0;
    dataOffset = paletteOffset = imageStride = 0;
}

bool DdsFile::ParseHeader(const uint8_t* data, size_t size)
{
    if (size < HeaderAt + HeaderSize || static_cast<uint64_t>(size) > MaxFileSize)
        return false;
    if (Load32(data) != Magic || Load32(data + HeaderAt) != HeaderSize ||
        Load32(data + PixelFormatAt) != PixelFormatSize)
        return false;

    width = Load32(data + WidthAt);
    height = Load32(data + HeightAt);
    headerFlags = Load32(data + FlagsAt);
    caps2 = Load32(data + Caps2At);
    depthField = Load32(data + DepthAt);
    declaredLevels = Load32(data + MipCountAt);
    if (declaredLevels == 0)
        declaredLevels = 1;
    dataOffset = HeaderAt + HeaderSize;
    return true;
}

// Without an extended header the cube-map and volume bits tell the shape. A
// volume may also be told by its depth alone. A cube map must have all six
// faces.
bool DdsFile::ReadClassicShape()
{
    const bool cube = (caps2 & Caps2Cubemap) != 0;
    const bool volume = (caps2 & Caps2Volume) != 0 || ((headerFlags & FlagDepth) != 0 && depthField > 1);
    if (cube && (volume || (caps2 & Caps2AllFaces) != Caps2AllFaces))
        return false;
    kind = cube ? TextureKind::Cube : volume ? TextureKind::Volume : TextureKind::Planar;
    depth = volume && depthField > 1 ? depthField : 1;
    arraySize = cube ? FacesPerCube : 1;
    return true;
}

bool DdsFile::ParsePixelFormat(const uint8_t* data, size_t size)
{
    const uint8_t* pixelFormat = data + PixelFormatAt;
    const uint32_t flags = Load32(pixelFormat + 4);
    if ((flags & PfFourCC) != 0 && Load32(pixelFormat + 8) == FourCC('D', 'X', '1', '0'))
        return ParseExtendedHeader(data, size);
    return ReadClassicShape() && ParseLegacyPixelFormat(pixelFormat);
}

// Some writers leave the array size 0 (meaning 1) and the dimension unknown
// (the classic header then tells it).
bool DdsFile::ParseExtendedHeader(const uint8_t* data, size_t size)
{
    if (size < ExtendedAt + ExtendedHeaderSize)
        return false;
    const uint8_t* extended = data + ExtendedAt;
    const uint32_t dxgiFormat = PixelFormatTable::Typed(Load32(extended));
    const uint32_t dimension = Load32(extended + 4);
    const bool cubeFlag = (Load32(extended + 8) & MiscTextureCube) != 0;
    const uint64_t count = Load32(extended + 12) ? Load32(extended + 12) : 1;
    dataOffset = ExtendedAt + ExtendedHeaderSize;

    switch (dimension)
    {
    case DimensionUnknown:
        if (!ReadClassicShape() || (cubeFlag && kind == TextureKind::Volume))
            return false;
        if (cubeFlag)
        {
            kind = TextureKind::Cube;
            arraySize = FacesPerCube;
        }
        break;
    case DimensionTexture2D:
        kind = cubeFlag ? TextureKind::Cube : TextureKind::Planar;
        depth = 1;
        arraySize = cubeFlag ? FacesPerCube : 1;
        break;
    case DimensionTexture3D:
        if (cubeFlag)
            return false;
        kind = TextureKind::Volume;
        depth = depthField ? depthField : 1;
        arraySize = 1;
        break;
    default:
        return false;
    }
    // A volume is never an array.
    if (kind == TextureKind::Volume && count != 1)
        return false;
    const uint64_t images = count * arraySize;
    if (images > MaxArraySize)
        return false;
    arraySize = static_cast<uint32_t>(images);

    // 16-bit formats a feature-level 11.0 device may lack are widened.
    switch (dxgiFormat)
    {
    case DxgiFormat::B5G6R5Unorm: encoding = SourceEncoding::Bgr565; break;
    case DxgiFormat::B5G5R5A1Unorm: encoding = SourceEncoding::Bgra5551; break;
    case DxgiFormat::B4G4R4A4Unorm: encoding = SourceEncoding::Bgra4444; break;
    default:
        if (!PixelFormatTable::Find(dxgiFormat))
            return false;
        format = dxgiFormat;
        return true;
    }
    format = PixelWidener::TargetFormat(encoding);
    return true;
}

bool DdsFile::ParseLegacyPixelFormat(const uint8_t* pixelFormat)
{
    const uint32_t flags = Load32(pixelFormat + 4);
    if ((flags & PfFourCC) != 0)
    {
        format = FormatOfFourCC(Load32(pixelFormat + 8));
        return format != DxgiFormat::Unknown;
    }

    const Masks m = {Load32(pixelFormat + 12), Load32(pixelFormat + 16), Load32(pixelFormat + 20),
                     Load32(pixelFormat + 24), Load32(pixelFormat + 28)};
    if ((flags & PfRgb) != 0)
    {
        if (m.Are(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000)) format = DxgiFormat::R8G8B8A8Unorm;
        else if (m.Are(32, 0xFF, 0xFF00, 0xFF0000, 0)) encoding = SourceEncoding::Rgbx8888;
        else if (m.Are(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)) format = DxgiFormat::B8G8R8A8Unorm;
        else if (m.Are(32, 0xFF0000, 0xFF00, 0xFF, 0)) format = DxgiFormat::B8G8R8X8Unorm;
        else if (m.Are(32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000)) format = DxgiFormat::R10G10B10A2Unorm;
        else if (m.Are(32, 0xFFFF, 0xFFFF0000, 0, 0)) format = DxgiFormat::R16G16Unorm;
        else if (m.Are(24, 0xFF0000, 0xFF00, 0xFF, 0)) encoding = SourceEncoding::Bgr888;
        else if (m.Are(16, 0xF800, 0x7E0, 0x1F, 0)) encoding = SourceEncoding::Bgr565;
        else if (m.Are(16, 0x7C00, 0x3E0, 0x1F, 0x8000)) encoding = SourceEncoding::Bgra5551;
        else if (m.Are(16, 0x7C00, 0x3E0, 0x1F, 0)) encoding = SourceEncoding::Bgrx5551;
        else if (m.Are(16, 0xF00, 0xF0, 0xF, 0xF000)) encoding = SourceEncoding::Bgra4444;
        else if (m.Are(16, 0xF00, 0xF0, 0xF, 0)) encoding = SourceEncoding::Bgrx4444;
    }
    else if ((flags & PfLuminance) != 0)
    {
        if (m.Luminance(8, 0xFF, 0)) encoding = SourceEncoding::L8;
        else if (m.Luminance(16, 0xFF, 0xFF00)) encoding = SourceEncoding::A8L8;
        else if (m.Luminance(16, 0xFFFF, 0)) encoding = SourceEncoding::L16;
        else if (m.Luminance(8, 0xF, 0xF0)) encoding = SourceEncoding::A4L4;
    }
    else if ((flags & PfPalette8) != 0)
    {
        // The palette lies between the header and the texels.
        if (m.bits == 8) encoding = SourceEncoding::P8;
        else if (m.bits == 16 && (m.a == 0 || m.a == 0xFF00)) encoding = SourceEncoding::A8P8;
        paletteOffset = dataOffset;
        dataOffset += PixelWidener::PaletteBytes;
    }
    else if ((flags & PfAlpha) != 0)
    {
        if (m.Are(8, 0, 0, 0, 0xFF)) format = DxgiFormat::A8Unorm;
    }

    if (encoding != SourceEncoding::AsStored)
        format = PixelWidener::TargetFormat(encoding);
    return format != DxgiFormat::Unknown;
}

bool DdsFile::CheckLimits() const
{
    const uint32_t limit = kind == TextureKind::Volume ? MaxVolumeDimension : MaxDimension;
    if (width == 0 || height == 0 || width > limit || height > limit || depth > limit)
        return false;
    if (kind == TextureKind::Cube && width != height)
        return false;
    return declaredLevels <= MaxLevels && declaredLevels <= FullChainLength(width, height, depth);
}

// Images follow each other, each with all its levels; a volume level holds
// its slices one after the other.
bool DdsFile::LayOutLevels(size_t size)
{
    const PixelFormatInfo* info = PixelFormatTable::Find(format);
    if (!info || size < dataOffset)
        return false;
    const uint32_t storedBits = PixelWidener::StoredBits(encoding);

    uint64_t offset = dataOffset;
    for (uint32_t i = 0; i < declaredLevels; ++i)
    {
        DdsLevel& level = levels[i];
        level.width = width >> i ? width >> i : 1;
        level.height = height >> i ? height >> i : 1;
        level.depth = depth >> i ? depth >> i : 1;
        const uint64_t rowBytes = storedBits ? (static_cast<uint64_t>(level.width) * storedBits + 7) / 8
                                             : PixelFormatTable::RowBytes(*info, level.width);
        const uint64_t rows = storedBits ? level.height : PixelFormatTable::RowCount(*info, level.height);
        // Below 2^19 x 2^14 x 2^11: no overflow.
        level.size = rowBytes * rows * level.depth;
        level.offset = offset;
        level.rowPitch = static_cast<uint32_t>(rowBytes);
        level.rowCount = static_cast<uint32_t>(rows);
        offset += level.size;
    }
    imageStride = offset - dataOffset;
    // At most 2^38 bytes an image (2^34 but in volumes, which are single
    // images), times 2^11 images: no overflow.
    if (static_cast<uint64_t>(size) - dataOffset < imageStride * arraySize)
        return false;
    levelCount = declaredLevels;
    return true;
}
