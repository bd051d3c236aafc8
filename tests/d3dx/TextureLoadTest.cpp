// DDS files written here and by ImageMagick, loaded onto the real device, and
// read back through staging copies.
#include "DdsBuilder.h"
#include "ComPtr.h"
#include "FaultInjection.h"
#include "TempFolder.h"
#include "TestDevice.h"
#include "TextureReadback.h"
#include "d3dx11.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

enum class Payload
{
    Raw,
    Half,    // finite 16-bit floats
    Float,   // finite 32-bit floats
    Opaque   // every fourth byte 0xFF (padding that reads back as opaque)
};

// What a stored texel reads back as, by the published meaning of its layout.
enum class Readback
{
    AsStored,
    Masks,          // RGBA8, each channel scaled from its mask; luminance in red, green and blue
    L16,            // RGBA16: L, L, L, opaque
    Palette,        // RGBA8: the index's palette entry
    PaletteAlpha    // RGBA8: an index, then the alpha
};

struct TexelMasks
{
    uint32_t r, g, b, a;   // luminance: in r, green and blue 0 or the same
};

struct Format
{
    const char* name;
    DdsBuilder builder;
    DXGI_FORMAT expected;
    uint32_t bitsPerTexel;   // as stored; 0 for blocks
    uint32_t blockBytes;
    Readback readback = Readback::AsStored;
    Payload payload = Payload::Raw;
    TexelMasks masks = {};
};

Format Blocks(const char* name, DdsBuilder builder, DXGI_FORMAT expected, uint32_t blockBytes)
{
    return {name, builder, expected, 0, blockBytes};
}

Format Stored(const char* name, DdsBuilder builder, DXGI_FORMAT expected, uint32_t bits,
              Payload payload = Payload::Raw)
{
    return {name, builder, expected, bits, 0, Readback::AsStored, payload};
}

Format Widened(const char* name, uint32_t flags, uint32_t bits, TexelMasks m)
{
    return {name, DdsBuilder::Masks(flags, bits, m.r, m.g, m.b, m.a), DXGI_FORMAT_R8G8B8A8_UNORM, bits, 0,
            Readback::Masks, Payload::Raw, m};
}

uint8_t Scaled(uint32_t texel, uint32_t mask)
{
    uint32_t shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    return static_cast<uint8_t>(std::lround(((texel & mask) >> shift) * 255.0 / (mask >> shift)));
}

// The texels a stored level reads back as.
std::vector<uint8_t> Expected(const Format& f, const std::vector<uint8_t>& stored, const std::vector<uint8_t>& palette)
{
    std::vector<uint8_t> texels;
    const TexelMasks& m = f.masks;
    const size_t bytes = f.bitsPerTexel / 8;
    for (size_t at = 0; f.readback != Readback::AsStored && at + bytes <= stored.size(); at += bytes)
    {
        uint32_t texel = 0;
        for (size_t i = 0; i < bytes; ++i)
            texel |= static_cast<uint32_t>(stored[at + i]) << (8 * i);
        if (f.readback == Readback::Masks)
        {
            const uint8_t r = Scaled(texel, m.r);
            texels.insert(texels.end(), {r, m.g ? Scaled(texel, m.g) : r, m.b ? Scaled(texel, m.b) : r,
                                         static_cast<uint8_t>(m.a ? Scaled(texel, m.a) : 255)});
        }
        else if (f.readback == Readback::L16)
            texels.insert(texels.end(), {stored[at], stored[at + 1], stored[at], stored[at + 1], stored[at],
                                         stored[at + 1], 0xFF, 0xFF});
        else
        {
            const uint8_t* entry = &palette[4 * stored[at]];
            const uint8_t alpha = f.readback == Readback::PaletteAlpha ? stored[at + 1] : entry[3];
            texels.insert(texels.end(), {entry[0], entry[1], entry[2], alpha});
        }
    }
    return f.readback == Readback::AsStored ? stored : texels;
}

// Bytes one stored level takes, computed independently of the reader.
size_t LevelBytes(const Format& f, uint32_t w, uint32_t h, uint32_t d)
{
    if (f.blockBytes)
        return static_cast<size_t>((w + 3) / 4) * ((h + 3) / 4) * f.blockBytes * d;
    return static_cast<size_t>(w) * h * d * f.bitsPerTexel / 8;
}

std::vector<uint8_t> MakeLevel(const Format& f, size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes = PatternBytes(size, seed);
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        if (f.payload == Payload::Half && i % 2 == 1)
            bytes[i] &= 0xBB;  // exponent below 31
        if (f.payload == Payload::Float && i % 4 == 3)
            bytes[i] &= 0xBF;
        if (f.payload == Payload::Opaque && i % 4 == 3)
            bytes[i] = 0xFF;
    }
    return bytes;
}

uint32_t Dim(uint32_t size, uint32_t level)
{
    return size >> level ? size >> level : 1;
}

// What the file holds and what the device should make of it.
struct Layout
{
    D3D11_SRV_DIMENSION view = D3D11_SRV_DIMENSION_TEXTURE2D;
    uint32_t images = 1;   // 2D images, six per cube
    uint32_t depth = 1;
};

// Either kind of texture, as one description.
struct Described
{
    UINT width = 0, height = 0, depth = 0, arraySize = 0, mipLevels = 0, miscFlags = 0;
    DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
    D3D11_USAGE usage = D3D11_USAGE_STAGING;
    UINT bindFlags = 0;
};

class TextureLoad : public ::testing::Test
{
protected:
    HRESULT Load(const std::vector<uint8_t>& bytes, D3DX11_IMAGE_LOAD_INFO* loadInfo = nullptr)
    {
        const std::wstring path = files.Write(L"texture.dds", bytes);
        return LoadPath(path.c_str(), loadInfo);
    }

    HRESULT LoadPath(const wchar_t* path, D3DX11_IMAGE_LOAD_INFO* loadInfo = nullptr)
    {
        HRESULT reported = E_UNEXPECTED;
        const HRESULT result = D3DX11CreateShaderResourceViewFromFileW(gpu.Device(), path, loadInfo, nullptr,
                                                                       view.Put(), &reported);
        EXPECT_EQ(reported, result);
        EXPECT_EQ(SUCCEEDED(result), static_cast<bool>(view));
        return result;
    }

    Described Describe()
    {
        Described d;
        view->GetResource(texture.Put());
        D3D11_RESOURCE_DIMENSION dimension;
        texture->GetType(&dimension);
        ComPtr<ID3D11Texture2D> planes;
        ComPtr<ID3D11Texture3D> volume;
        if (dimension == D3D11_RESOURCE_DIMENSION_TEXTURE3D &&
            SUCCEEDED(texture->QueryInterface(__uuidof(ID3D11Texture3D), reinterpret_cast<void**>(volume.Put()))))
        {
            D3D11_TEXTURE3D_DESC desc;
            volume->GetDesc(&desc);
            d = {desc.Width, desc.Height, desc.Depth, 1, desc.MipLevels, desc.MiscFlags, desc.Format, desc.Usage,
                 desc.BindFlags};
        }
        else if (SUCCEEDED(texture->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(planes.Put()))))
        {
            D3D11_TEXTURE2D_DESC desc;
            planes->GetDesc(&desc);
            d = {desc.Width, desc.Height, 1, desc.ArraySize, desc.MipLevels, desc.MiscFlags, desc.Format, desc.Usage,
                 desc.BindFlags};
        }
        return d;
    }

    // The level's rows of texels or blocks, packed.
    std::vector<uint8_t> ReadLevel(UINT level, UINT image = 0)
    {
        TextureReadback readback;
        if (!readback.Read(gpu.Device(), gpu.Context(), texture.Get(), level, image))
            return {};
        std::vector<uint8_t> bytes;
        for (UINT y = 0; y < readback.RowCount(); ++y)
            bytes.insert(bytes.end(), readback.Row(y), readback.Row(y) + readback.RowBytes());
        return bytes;
    }

    ULONG DeviceReferences() { return References(gpu.Device()); }

    // Writes a file with the full chain of every image stored, loads it and
    // compares every level of every image.
    void CheckRoundTrip(const Format& f, uint32_t w, uint32_t h, const Layout& layout = Layout())
    {
        uint32_t levels = 1;
        while ((w >> levels) || (h >> levels) || (layout.depth >> levels))
            ++levels;
        const bool palettized = f.readback == Readback::Palette || f.readback == Readback::PaletteAlpha;
        const std::vector<uint8_t> palette = palettized ? PatternBytes(1024, w + h) : std::vector<uint8_t>();
        std::vector<uint8_t> payload = palette;
        std::vector<std::vector<uint8_t>> stored;
        for (uint32_t image = 0; image < layout.images; ++image)
            for (uint32_t i = 0; i < levels; ++i)
            {
                const size_t size = LevelBytes(f, Dim(w, i), Dim(h, i), Dim(layout.depth, i));
                stored.push_back(MakeLevel(f, size, 17 * i + w + 1000 * h + 7919 * image));
                payload.insert(payload.end(), stored.back().begin(), stored.back().end());
            }
        DdsBuilder builder = f.builder;
        builder.Size(w, h).Mips(levels);
        if (layout.depth > 1)
            builder.Depth(layout.depth);
        ASSERT_EQ(Load(builder.Build(payload)), S_OK);

        D3D11_SHADER_RESOURCE_VIEW_DESC viewDesc;
        view->GetDesc(&viewDesc);
        EXPECT_EQ(viewDesc.ViewDimension, layout.view);
        EXPECT_EQ(viewDesc.Format, f.expected);
        // Block textures cover whole blocks.
        const Described desc = Describe();
        EXPECT_EQ(desc.width, f.blockBytes ? (w + 3) / 4 * 4 : w);
        EXPECT_EQ(desc.height, f.blockBytes ? (h + 3) / 4 * 4 : h);
        EXPECT_EQ(desc.depth, layout.depth);
        EXPECT_EQ(desc.arraySize, layout.view == D3D11_SRV_DIMENSION_TEXTURE3D ? 1u : layout.images);
        EXPECT_EQ(desc.format, f.expected);
        EXPECT_EQ(desc.mipLevels, levels);
        EXPECT_EQ(desc.usage, D3D11_USAGE_DEFAULT);
        EXPECT_EQ(desc.bindFlags, static_cast<UINT>(D3D11_BIND_SHADER_RESOURCE));
        const bool cube = layout.view == D3D11_SRV_DIMENSION_TEXTURECUBE ||
                          layout.view == D3D11_SRV_DIMENSION_TEXTURECUBEARRAY;
        EXPECT_EQ(desc.miscFlags, cube ? static_cast<UINT>(D3D11_RESOURCE_MISC_TEXTURECUBE) : 0u);
        for (uint32_t image = 0; image < layout.images; ++image)
            for (uint32_t i = 0; i < levels; ++i)
                EXPECT_EQ(ReadLevel(i, image), Expected(f, stored[image * levels + i], palette))
                    << "image " << image << " level " << i;
    }

    TestDevice gpu;
    TempFolder files;
    ComPtr<ID3D11ShaderResourceView> view;
    ComPtr<ID3D11Resource> texture;
};

const uint32_t Rgb = DdsBuilder::PfRgb;
const uint32_t RgbAlpha = DdsBuilder::PfRgb | DdsBuilder::PfAlphaPixels;
const uint32_t Luminance = DdsBuilder::PfLuminance;
const uint32_t LuminanceAlpha = DdsBuilder::PfLuminance | DdsBuilder::PfAlphaPixels;
using B = DdsBuilder;
const Format Formats[] = {
    Blocks("DXT1", B::FourCC("DXT1"), DXGI_FORMAT_BC1_UNORM, 8),
    Blocks("DXT3", B::FourCC("DXT3"), DXGI_FORMAT_BC2_UNORM, 16),
    Blocks("DXT5", B::FourCC("DXT5"), DXGI_FORMAT_BC3_UNORM, 16),
    Blocks("ATI1", B::FourCC("ATI1"), DXGI_FORMAT_BC4_UNORM, 8),
    Blocks("BC4U", B::FourCC("BC4U"), DXGI_FORMAT_BC4_UNORM, 8),
    Blocks("BC4S", B::FourCC("BC4S"), DXGI_FORMAT_BC4_SNORM, 8),
    Blocks("ATI2", B::FourCC("ATI2"), DXGI_FORMAT_BC5_UNORM, 16),
    Blocks("BC5U", B::FourCC("BC5U"), DXGI_FORMAT_BC5_UNORM, 16),
    Blocks("BC5S", B::FourCC("BC5S"), DXGI_FORMAT_BC5_SNORM, 16),
    Blocks("BC7", B::Dx10(DXGI_FORMAT_BC7_UNORM), DXGI_FORMAT_BC7_UNORM, 16),
    // Typeless: sampled as the UNORM member (FLOAT where the family has none).
    Blocks("BC1 typeless", B::Dx10(DXGI_FORMAT_BC1_TYPELESS), DXGI_FORMAT_BC1_UNORM, 8),
    Blocks("BC2 typeless", B::Dx10(DXGI_FORMAT_BC2_TYPELESS), DXGI_FORMAT_BC2_UNORM, 16),
    Blocks("BC3 typeless", B::Dx10(DXGI_FORMAT_BC3_TYPELESS), DXGI_FORMAT_BC3_UNORM, 16),
    Blocks("BC4 typeless", B::Dx10(DXGI_FORMAT_BC4_TYPELESS), DXGI_FORMAT_BC4_UNORM, 8),
    Blocks("BC5 typeless", B::Dx10(DXGI_FORMAT_BC5_TYPELESS), DXGI_FORMAT_BC5_UNORM, 16),
    Blocks("BC7 typeless", B::Dx10(DXGI_FORMAT_BC7_TYPELESS), DXGI_FORMAT_BC7_UNORM, 16),
    Stored("RGBA8 typeless", B::Dx10(DXGI_FORMAT_R8G8B8A8_TYPELESS), DXGI_FORMAT_R8G8B8A8_UNORM, 32),
    Stored("BGRA8 typeless", B::Dx10(DXGI_FORMAT_B8G8R8A8_TYPELESS), DXGI_FORMAT_B8G8R8A8_UNORM, 32),
    Stored("BGRX8 typeless", B::Dx10(DXGI_FORMAT_B8G8R8X8_TYPELESS), DXGI_FORMAT_B8G8R8X8_UNORM, 32, Payload::Opaque),
    Stored("RGBA16 typeless", B::Dx10(DXGI_FORMAT_R16G16B16A16_TYPELESS), DXGI_FORMAT_R16G16B16A16_UNORM, 64),
    Stored("RGB10A2 typeless", B::Dx10(DXGI_FORMAT_R10G10B10A2_TYPELESS), DXGI_FORMAT_R10G10B10A2_UNORM, 32),
    Stored("RG8 typeless", B::Dx10(DXGI_FORMAT_R8G8_TYPELESS), DXGI_FORMAT_R8G8_UNORM, 16),
    Stored("R16 typeless", B::Dx10(DXGI_FORMAT_R16_TYPELESS), DXGI_FORMAT_R16_UNORM, 16),
    Stored("R32 typeless", B::Dx10(DXGI_FORMAT_R32_TYPELESS), DXGI_FORMAT_R32_FLOAT, 32, Payload::Float),
    // sRGB: kept.
    Blocks("BC1 sRGB", B::Dx10(DXGI_FORMAT_BC1_UNORM_SRGB), DXGI_FORMAT_BC1_UNORM_SRGB, 8),
    Blocks("BC2 sRGB", B::Dx10(DXGI_FORMAT_BC2_UNORM_SRGB), DXGI_FORMAT_BC2_UNORM_SRGB, 16),
    Blocks("BC3 sRGB", B::Dx10(DXGI_FORMAT_BC3_UNORM_SRGB), DXGI_FORMAT_BC3_UNORM_SRGB, 16),
    Blocks("BC7 sRGB", B::Dx10(DXGI_FORMAT_BC7_UNORM_SRGB), DXGI_FORMAT_BC7_UNORM_SRGB, 16),
    Stored("RGBA8 sRGB", B::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM_SRGB), DXGI_FORMAT_R8G8B8A8_UNORM_SRGB, 32),
    Stored("BGRA8 sRGB", B::Dx10(DXGI_FORMAT_B8G8R8A8_UNORM_SRGB), DXGI_FORMAT_B8G8R8A8_UNORM_SRGB, 32),
    Stored("BGRX8 sRGB", B::Dx10(DXGI_FORMAT_B8G8R8X8_UNORM_SRGB), DXGI_FORMAT_B8G8R8X8_UNORM_SRGB, 32,
           Payload::Opaque),
    // Extended headers as some writers leave them: array size 0, dimension unknown.
    Blocks("array size 0", B::Dx10(DXGI_FORMAT_BC1_UNORM).Extended(3, 0, 0), DXGI_FORMAT_BC1_UNORM, 8),
    Stored("dimension unknown", B::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Extended(0, 0, 1), DXGI_FORMAT_R8G8B8A8_UNORM, 32),
    Stored("A8B8G8R8", B::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u), DXGI_FORMAT_R8G8B8A8_UNORM, 32),
    Stored("A8R8G8B8", B::Masks(RgbAlpha, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), DXGI_FORMAT_B8G8R8A8_UNORM, 32),
    Stored("X8R8G8B8", B::Masks(Rgb, 32, 0xFF0000, 0xFF00, 0xFF, 0), DXGI_FORMAT_B8G8R8X8_UNORM, 32, Payload::Opaque),
    Stored("A2B10G10R10", B::Masks(RgbAlpha, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000u),
           DXGI_FORMAT_R10G10B10A2_UNORM, 32),
    Stored("G16R16", B::Masks(Rgb, 32, 0xFFFF, 0xFFFF0000u, 0, 0), DXGI_FORMAT_R16G16_UNORM, 32),
    Widened("X8B8G8R8", Rgb, 32, {0xFF, 0xFF00, 0xFF0000, 0}),
    Widened("R8G8B8", Rgb, 24, {0xFF0000, 0xFF00, 0xFF, 0}),
    Widened("R5G6B5", Rgb, 16, {0xF800, 0x7E0, 0x1F, 0}),
    Widened("A1R5G5B5", RgbAlpha, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}),
    Widened("A4R4G4B4", RgbAlpha, 16, {0xF00, 0xF0, 0xF, 0xF000}),
    {"B5G6R5 extended", B::Dx10(DXGI_FORMAT_B5G6R5_UNORM), DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0, Readback::Masks,
     Payload::Raw, {0xF800, 0x7E0, 0x1F, 0}},
    // Luminance, also with the mask repeated in green and blue.
    Widened("L8", Luminance, 8, {0xFF, 0, 0, 0}),
    Widened("L8 repeated", Luminance, 8, {0xFF, 0xFF, 0xFF, 0}),
    Widened("A8L8", LuminanceAlpha, 16, {0xFF, 0, 0, 0xFF00}),
    Widened("A8L8 repeated", LuminanceAlpha, 16, {0xFF, 0xFF, 0xFF, 0xFF00}),
    Widened("A4L4", LuminanceAlpha, 8, {0xF, 0, 0, 0xF0}),
    Widened("A4L4 repeated", LuminanceAlpha, 8, {0xF, 0xF, 0xF, 0xF0}),
    {"L16", B::Masks(Luminance, 16, 0xFFFF, 0, 0, 0), DXGI_FORMAT_R16G16B16A16_UNORM, 16, 0, Readback::L16},
    {"L16 repeated", B::Masks(Luminance, 16, 0xFFFF, 0xFFFF, 0xFFFF, 0), DXGI_FORMAT_R16G16B16A16_UNORM, 16, 0,
     Readback::L16},
    {"P8", B::Masks(DdsBuilder::PfPalette8, 8, 0, 0, 0, 0), DXGI_FORMAT_R8G8B8A8_UNORM, 8, 0, Readback::Palette},
    {"A8P8", B::Masks(DdsBuilder::PfPalette8 | DdsBuilder::PfAlphaPixels, 16, 0, 0, 0, 0xFF00),
     DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0, Readback::PaletteAlpha},
    Stored("A8", B::Masks(DdsBuilder::PfAlpha, 8, 0, 0, 0, 0xFF), DXGI_FORMAT_A8_UNORM, 8),
    Stored("FourCC 36", B::FourCC(36), DXGI_FORMAT_R16G16B16A16_UNORM, 64),
    Stored("FourCC 110", B::FourCC(110), DXGI_FORMAT_R16G16B16A16_SNORM, 64),
    Stored("FourCC 111", B::FourCC(111), DXGI_FORMAT_R16_FLOAT, 16, Payload::Half),
    Stored("FourCC 112", B::FourCC(112), DXGI_FORMAT_R16G16_FLOAT, 32, Payload::Half),
    Stored("FourCC 113", B::FourCC(113), DXGI_FORMAT_R16G16B16A16_FLOAT, 64, Payload::Half),
    Stored("FourCC 114", B::FourCC(114), DXGI_FORMAT_R32_FLOAT, 32, Payload::Float),
    Stored("FourCC 115", B::FourCC(115), DXGI_FORMAT_R32G32_FLOAT, 64, Payload::Float),
    Stored("FourCC 116", B::FourCC(116), DXGI_FORMAT_R32G32B32A32_FLOAT, 128, Payload::Float),
    Stored("RGBA8 extended", B::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM), DXGI_FORMAT_R8G8B8A8_UNORM, 32),
};

TEST_F(TextureLoad, EveryFormatReadsBackAsStoredAtEverySize)
{
    ASSERT_TRUE(gpu.Ok());
    // Odd and even sizes; the chains go down to 1 x 1.
    const uint32_t sizes[][2] = {{5, 7}, {16, 8}};
    for (const Format& f : Formats)
        for (const auto& size : sizes)
        {
            SCOPED_TRACE(std::string(f.name) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]));
            CheckRoundTrip(f, size[0], size[1]);
            view.Reset();
            texture.Reset();
        }
}

// Its own suite, and so its own process beside the other.
using TextureShapeLoad = TextureLoad;

TEST_F(TextureShapeLoad, CubeMapsArraysAndVolumesKeepEveryImageAndLevel)
{
    ASSERT_TRUE(gpu.Ok());
    const uint32_t cube = 0x4;  // the extended header's cube flag
    const Format rgba8 = Stored("", B::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM), DXGI_FORMAT_R8G8B8A8_UNORM, 32);
    const Format bc1 = Blocks("", B::Dx10(DXGI_FORMAT_BC1_UNORM), DXGI_FORMAT_BC1_UNORM, 8);
    struct Shape
    {
        const char* name;
        Format format;
        uint32_t width, height;
        Layout layout;
    };
    const Shape shapes[] = {
        {"cube, classic header",
         Stored("", B::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u).Caps2(B::Caps2Cube),
                DXGI_FORMAT_R8G8B8A8_UNORM, 32),
         4, 4, {D3D11_SRV_DIMENSION_TEXTURECUBE, 6}},
        {"cube, extended header", {"", B(bc1.builder).Extended(3, cube, 1), DXGI_FORMAT_BC1_UNORM, 0, 8}, 8, 8,
         {D3D11_SRV_DIMENSION_TEXTURECUBE, 6}},
        {"cube, dimension unknown", {"", B(rgba8.builder).Extended(0, 0, 0).Caps2(B::Caps2Cube),
                                     DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0}, 2, 2, {D3D11_SRV_DIMENSION_TEXTURECUBE, 6}},
        {"palettized cube", {"", B::Masks(DdsBuilder::PfPalette8, 8, 0, 0, 0, 0).Caps2(B::Caps2Cube),
                             DXGI_FORMAT_R8G8B8A8_UNORM, 8, 0, Readback::Palette}, 4, 4,
         {D3D11_SRV_DIMENSION_TEXTURECUBE, 6}},
        {"two cubes", {"", B(rgba8.builder).Extended(3, cube, 2), DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0}, 2, 2,
         {D3D11_SRV_DIMENSION_TEXTURECUBEARRAY, 12}},
        {"array", {"", B(rgba8.builder).Extended(3, 0, 3), DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0}, 5, 3,
         {D3D11_SRV_DIMENSION_TEXTURE2DARRAY, 3}},
        {"volume, classic header",
         Widened("", LuminanceAlpha, 16, {0xFF, 0, 0, 0xFF00}), 4, 4, {D3D11_SRV_DIMENSION_TEXTURE3D, 1, 3}},
        {"volume, extended header", {"", B(rgba8.builder).Extended(4, 0, 1), DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0}, 3, 2,
         {D3D11_SRV_DIMENSION_TEXTURE3D, 1, 5}},
        {"volume, dimension unknown", {"", B(rgba8.builder).Extended(0, 0, 0).Caps2(B::Caps2Volume),
                                       DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0}, 8, 8, {D3D11_SRV_DIMENSION_TEXTURE3D, 1, 2}},
    };
    for (const Shape& shape : shapes)
    {
        SCOPED_TRACE(shape.name);
        CheckRoundTrip(shape.format, shape.width, shape.height, shape.layout);
        view.Reset();
        texture.Reset();
    }
}

TEST_F(TextureLoad, GeneratesMissingLevelsByAveraging)
{
    ASSERT_TRUE(gpu.Ok());
    // 4 x 2 RGBA8, one level stored: 2 x 1 and 1 x 1 are made.
    const std::vector<uint8_t> top = {
        0, 0, 0, 0,     4, 8, 12, 16,    100, 100, 100, 100, 200, 200, 200, 200,
        8, 16, 24, 32,  1, 2, 3, 5,      100, 100, 100, 100, 201, 201, 201, 201,
    };
    ASSERT_EQ(Load(DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(4, 2).Build(top)), S_OK);
    ASSERT_EQ(Describe().mipLevels, 3u);
    EXPECT_EQ(ReadLevel(0), top);
    // (0+4+8+1)/4 = 3.25, (0+8+16+2)/4 = 6.5, 9.75, 13.25; then 601/4 = 150.25.
    EXPECT_EQ(ReadLevel(1), (std::vector<uint8_t>{3, 7, 10, 13, 150, 150, 150, 150}));
    EXPECT_EQ(ReadLevel(2), (std::vector<uint8_t>{77, 79, 80, 82}));
}

TEST_F(TextureLoad, WidensBeforeGeneratingLevels)
{
    ASSERT_TRUE(gpu.Ok());
    // L8 2 x 2 stored alone; the 1 x 1 level is grey and opaque.
    ASSERT_EQ(Load(DdsBuilder::Masks(DdsBuilder::PfLuminance, 8, 0xFF, 0, 0, 0).Size(2, 2).Build({10, 20, 30, 41})),
              S_OK);
    ASSERT_EQ(Describe().mipLevels, 2u);
    EXPECT_EQ(ReadLevel(1), (std::vector<uint8_t>{25, 25, 25, 255}));
}

TEST_F(TextureLoad, BlockCompressedFilesKeepOnlyTheirStoredLevels)
{
    ASSERT_TRUE(gpu.Ok());
    const std::vector<uint8_t> blocks = PatternBytes(16 * 8 + 4 * 8, 3);
    ASSERT_EQ(Load(DdsBuilder::FourCC("DXT1").Size(16, 16).Mips(2).Build(blocks)), S_OK);
    EXPECT_EQ(Describe().mipLevels, 2u);
    EXPECT_EQ(ReadLevel(1), std::vector<uint8_t>(blocks.begin() + 128, blocks.end()));
    // A texel alone still takes a whole block.
    ASSERT_EQ(Load(DdsBuilder::FourCC("DXT5").Size(1, 1).Build(PatternBytes(16, 4))), S_OK);
    EXPECT_EQ(Describe().width, 4u);
    EXPECT_EQ(ReadLevel(0), PatternBytes(16, 4));
}

TEST_F(TextureLoad, TruncatedFilesFailCleanlyAtEveryLength)
{
    ASSERT_TRUE(gpu.Ok());
    const std::vector<uint8_t> whole = DdsBuilder::FourCC("DXT1").Size(16, 16).Mips(5).Build(PatternBytes(184, 5));
    ASSERT_EQ(Load(whole), S_OK);
    view.Reset();
    const ULONG before = DeviceReferences();
    for (size_t length = 0; length < whole.size(); ++length)
    {
        EXPECT_EQ(Load(std::vector<uint8_t>(whole.begin(), whole.begin() + length)), E_FAIL) << length;
        EXPECT_FALSE(view);
    }
    EXPECT_EQ(DeviceReferences(), before);
}

TEST_F(TextureLoad, AbsurdHeadersFailCleanly)
{
    ASSERT_TRUE(gpu.Ok());
    const ULONG before = DeviceReferences();
    for (const RefusedDds& file : RefusedDdsFiles())
        EXPECT_EQ(Load(file.bytes), E_FAIL) << file.why;
    EXPECT_EQ(DeviceReferences(), before);
}

// A view the device refuses after the texture was made leaves nothing behind;
// the same file loads when the device does not refuse.
TEST_F(TextureShapeLoad, EveryKindOfTextureIsReleasedWhenItsViewFails)
{
    ASSERT_TRUE(gpu.Ok());
    FaultInjection::HookObject(gpu.Device());
    const DdsBuilder rgba8 = DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM);
    const std::vector<uint8_t> files[] = {
        DdsBuilder(rgba8).Build(PatternBytes(64, 1)),
        DdsBuilder(rgba8).Extended(3, 0, 2).Build(PatternBytes(2 * 64, 1)),
        DdsBuilder(rgba8).Extended(3, 0x4, 1).Build(PatternBytes(6 * 64, 1)),
        DdsBuilder(rgba8).Extended(4, 0, 1).Depth(2).Build(PatternBytes(2 * 64, 1)),
        DdsBuilder(rgba8).Size(1, 1).Extended(3, 0, 100).Build(PatternBytes(100 * 4, 1)),  // past one cube's levels
    };
    const ULONG before = DeviceReferences();
    for (size_t i = 0; i < sizeof(files) / sizeof(files[0]); ++i)
    {
        FaultInjection::FailNext("ID3D11Device::CreateShaderResourceView", E_OUTOFMEMORY);
        EXPECT_EQ(Load(files[i]), E_OUTOFMEMORY) << "file " << i;
        EXPECT_EQ(DeviceReferences(), before) << "file " << i;
        EXPECT_EQ(Load(files[i]), S_OK) << "file " << i;
        view.Reset();
    }
}

// ImageMagick wrote these files at build time (see CMakeLists.txt), each with
// its own decoding of the top level as RGBA bytes.
TEST_F(TextureLoad, FilesImageMagickWritesReadBackAsItDecodesThem)
{
    ASSERT_TRUE(gpu.Ok());
    struct Written
    {
        const char* name;
        Format format;
        uint32_t width, height, storedLevels, loadedLevels;
    };
    const Written written[] = {
        {"dxt1", Blocks("", {}, DXGI_FORMAT_BC1_UNORM, 8), 13, 9, 1, 1},
        {"dxt1-mipmaps", Blocks("", {}, DXGI_FORMAT_BC1_UNORM, 8), 16, 8, 4, 4},
        {"dxt5", Blocks("", {}, DXGI_FORMAT_BC3_UNORM, 16), 13, 9, 1, 1},
        {"dxt5-mipmaps", Blocks("", {}, DXGI_FORMAT_BC3_UNORM, 16), 16, 8, 5, 5},
        {"argb", Stored("", {}, DXGI_FORMAT_B8G8R8A8_UNORM, 32), 13, 9, 1, 4},
        {"argb-mipmaps", Stored("", {}, DXGI_FORMAT_B8G8R8A8_UNORM, 32), 16, 8, 3, 5},
        {"rgb", Widened("", Rgb, 24, {0xFF0000, 0xFF00, 0xFF, 0}), 13, 9, 1, 4},
        {"rgb-mipmaps", Widened("", Rgb, 24, {0xFF0000, 0xFF00, 0xFF, 0}), 16, 8, 5, 5},
    };
    for (const Written& w : written)
    {
        SCOPED_TRACE(w.name);
        const std::string path = std::string("../imagemagick/") + w.name;
        std::ifstream dds(path + ".dds", std::ios::binary);
        std::ifstream rgba(path + ".rgba", std::ios::binary);
        const std::vector<uint8_t> file{std::istreambuf_iterator<char>(dds), {}};
        const std::vector<uint8_t> decoded{std::istreambuf_iterator<char>(rgba), {}};
        if (!dds)
            GTEST_SKIP() << "ImageMagick wrote no files on this build host";
        ASSERT_EQ(decoded.size(), w.width * w.height * 4u) << "ImageMagick's decoding";
        ASSERT_EQ(Load(file), S_OK);
        const Described desc = Describe();
        EXPECT_EQ(desc.format, w.format.expected);
        EXPECT_EQ(desc.width, w.format.blockBytes ? (w.width + 3) / 4 * 4 : w.width);
        EXPECT_EQ(desc.height, w.format.blockBytes ? (w.height + 3) / 4 * 4 : w.height);
        EXPECT_EQ(desc.mipLevels, w.loadedLevels);

        // Stored levels follow the 128 bytes of magic and header.
        size_t offset = 128;
        for (uint32_t i = 0; i < w.storedLevels; ++i)
        {
            const size_t size = LevelBytes(w.format, Dim(w.width, i), Dim(w.height, i), 1);
            ASSERT_LE(offset + size, file.size());
            const std::vector<uint8_t> level(file.begin() + offset, file.begin() + offset + size);
            const std::vector<uint8_t> readBack = ReadLevel(i);
            EXPECT_EQ(readBack, Expected(w.format, level, {})) << "level " << i;
            offset += size;
        }
        if (w.format.blockBytes)
            continue;
        // The top level as ImageMagick sees it, red first.
        std::vector<uint8_t> top = ReadLevel(0);
        for (size_t i = 0; w.format.expected == DXGI_FORMAT_B8G8R8A8_UNORM && i < top.size(); i += 4)
            std::swap(top[i], top[i + 2]);
        EXPECT_EQ(top, decoded);
    }
}

// Spoiled headers of valid files either load or fail, never crash, and
// leave nothing behind.
TEST_F(TextureLoad, SpoiledHeadersLoadOrFailCleanly)
{
    ASSERT_TRUE(gpu.Ok());
    const std::vector<uint8_t> seeds[] = {
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(8, 8).Mips(2).Build(PatternBytes(256 + 64, 1)),
        DdsBuilder::FourCC("DXT5").Size(8, 4).Mips(4).Build(PatternBytes(32 + 16 * 3, 2)),
        DdsBuilder::Masks(DdsBuilder::PfRgb, 16, 0xF800, 0x7E0, 0x1F, 0).Size(4, 8).Build(PatternBytes(64, 3)),
    };
    const ULONG before = DeviceReferences();
    std::vector<uint8_t> noise = PatternBytes(4 * 250, 77);
    int loaded = 0;
    for (int round = 0; round < 250; ++round)
    {
        std::vector<uint8_t> bytes = seeds[round % 3];
        for (int i = 0; i < 1 + round % 3; ++i)
            bytes[noise[4 * round + i] % 148] = noise[4 * round + 3 - i];
        const HRESULT result = Load(bytes);
        loaded += result == S_OK;
        texture.Reset();
        view.Reset();
    }
    EXPECT_GT(loaded, 0);
    EXPECT_EQ(DeviceReferences(), before);
}

TEST_F(TextureLoad, ResultCodesForBadArguments)
{
    ASSERT_TRUE(gpu.Ok());
    EXPECT_EQ(LoadPath(files.Path(L"absent.dds").c_str()), D3D11_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LoadPath(L"no-such-folder\\absent.dds"), D3D11_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LoadPath(nullptr), E_FAIL);
    EXPECT_EQ(LoadPath(files.Write(L"text.dds", std::string("not an image at all")).c_str()), E_FAIL);
    EXPECT_EQ(LoadPath(files.Write(L"empty.png", std::string()).c_str()), E_FAIL);

    const std::wstring good = files.Write(L"good.dds", DdsBuilder::FourCC("DXT1").Build(PatternBytes(8, 1)));
    HRESULT reported = S_OK;
    EXPECT_EQ(D3DX11CreateShaderResourceViewFromFileW(nullptr, good.c_str(), nullptr, nullptr, view.Put(), &reported),
              E_INVALIDARG);
    EXPECT_EQ(reported, E_INVALIDARG);
    EXPECT_EQ(D3DX11CreateShaderResourceViewFromFileW(gpu.Device(), good.c_str(), nullptr, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    ID3DX11ThreadPump* pump = reinterpret_cast<ID3DX11ThreadPump*>(&files);  // never called
    EXPECT_TRUE(FAILED(D3DX11CreateShaderResourceViewFromFileW(gpu.Device(), good.c_str(), nullptr, pump,
                                                               view.Put(), nullptr)));
    EXPECT_FALSE(view);
}

D3DX11_IMAGE_LOAD_INFO DefaultLoadInfo()
{
    D3DX11_IMAGE_LOAD_INFO info;
    info.Width = info.Height = info.Depth = info.FirstMipLevel = info.MipLevels = D3DX11_DEFAULT;
    info.Usage = static_cast<D3D11_USAGE>(D3DX11_DEFAULT);
    info.BindFlags = info.CpuAccessFlags = info.MiscFlags = D3DX11_DEFAULT;
    info.Format = static_cast<DXGI_FORMAT>(D3DX11_FROM_FILE);
    info.Filter = info.MipFilter = D3DX11_DEFAULT;
    info.pSrcInfo = nullptr;
    return info;
}

TEST_F(TextureLoad, HonoursSimpleLoadInformationAndRefusesTheRest)
{
    ASSERT_TRUE(gpu.Ok());
    // 8 x 4 RGBA8 with two of four levels stored.
    const std::vector<uint8_t> file =
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(8, 4).Mips(2).Build(PatternBytes(128 + 32, 4));

    D3DX11_IMAGE_LOAD_INFO info = DefaultLoadInfo();
    D3DX11_IMAGE_INFO source = {};
    info.pSrcInfo = &source;
    ASSERT_EQ(Load(file, &info), S_OK);
    EXPECT_EQ(Describe().mipLevels, 4u);
    EXPECT_EQ(source.Width, 8u);
    EXPECT_EQ(source.Height, 4u);
    EXPECT_EQ(source.MipLevels, 2u);
    EXPECT_EQ(source.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(source.ImageFileFormat, D3DX11_IFF_DDS);
    EXPECT_EQ(source.ResourceDimension, D3D11_RESOURCE_DIMENSION_TEXTURE2D);

    info = DefaultLoadInfo();
    info.MipLevels = D3DX11_FROM_FILE;
    info.Usage = D3D11_USAGE_IMMUTABLE;
    ASSERT_EQ(Load(file, &info), S_OK);
    EXPECT_EQ(Describe().mipLevels, 2u);
    EXPECT_EQ(Describe().usage, D3D11_USAGE_IMMUTABLE);

    info = DefaultLoadInfo();
    info.MipLevels = 1;
    info.Width = 8;
    info.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    ASSERT_EQ(Load(file, &info), S_OK);
    EXPECT_EQ(Describe().mipLevels, 1u);

    view.Reset();
    texture.Reset();
    const ULONG before = DeviceReferences();
    info = DefaultLoadInfo();
    info.Width = 16;  // resizing is not done
    EXPECT_TRUE(FAILED(Load(file, &info)));
    info = DefaultLoadInfo();
    info.Format = DXGI_FORMAT_B8G8R8A8_UNORM;  // nor converting
    EXPECT_TRUE(FAILED(Load(file, &info)));
    info = DefaultLoadInfo();
    info.BindFlags = D3D11_BIND_RENDER_TARGET;  // no shader resource, no view
    EXPECT_TRUE(FAILED(Load(file, &info)));
    info = DefaultLoadInfo();
    info.Usage = D3D11_USAGE_STAGING;
    EXPECT_TRUE(FAILED(Load(file, &info)));
    EXPECT_EQ(DeviceReferences(), before);
}

TEST_F(TextureLoad, ReleasingTheViewReleasesTheTexture)
{
    ASSERT_TRUE(gpu.Ok());
    const ULONG before = DeviceReferences();
    ASSERT_EQ(Load(DdsBuilder::FourCC(116).Size(3, 3).Build(PatternBytes(9 * 16, 2))), S_OK);
    view.Reset();
    EXPECT_EQ(DeviceReferences(), before);
}
}
