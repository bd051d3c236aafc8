// DDS files written here, loaded onto the real device, and read back through
// staging copies.
#include "DdsBuilder.h"
#include "PixelWidener.h"
#include "ComPtr.h"
#include "TempFolder.h"
#include "TestDevice.h"
#include "TextureReadback.h"
#include "d3dx11.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using SE = SourceEncoding;

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

struct Format
{
    const char* name;
    DdsBuilder builder;
    DXGI_FORMAT expected;
    uint32_t bitsPerTexel;   // as stored; 0 for blocks
    uint32_t blockBytes;
    SourceEncoding encoding;
    Payload payload;
};

// Bytes one stored level takes, computed independently of the reader.
size_t LevelBytes(const Format& f, uint32_t w, uint32_t h)
{
    if (f.blockBytes)
        return static_cast<size_t>((w + 3) / 4) * ((h + 3) / 4) * f.blockBytes;
    return static_cast<size_t>(w) * h * f.bitsPerTexel / 8;
}

std::vector<uint8_t> MakeLevel(const Format& f, uint32_t w, uint32_t h, uint32_t seed)
{
    std::vector<uint8_t> bytes = PatternBytes(LevelBytes(f, w, h), seed);
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

    D3D11_TEXTURE2D_DESC Describe()
    {
        D3D11_TEXTURE2D_DESC desc = {};
        ComPtr<ID3D11Resource> resource;
        view->GetResource(resource.Put());
        texture.Reset();
        resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(texture.Put()));
        if (texture)
            texture->GetDesc(&desc);
        return desc;
    }

    // The level's rows of texels or blocks, packed.
    std::vector<uint8_t> ReadLevel(UINT level)
    {
        TextureReadback readback;
        if (!readback.Read(gpu.Device(), gpu.Context(), texture.Get(), level))
            return {};
        const bool blocks = readback.Format() >= DXGI_FORMAT_BC1_TYPELESS && readback.Format() <= DXGI_FORMAT_BC5_SNORM;
        const bool bc7 = readback.Format() >= DXGI_FORMAT_BC6H_TYPELESS && readback.Format() <= DXGI_FORMAT_BC7_UNORM_SRGB;
        const UINT rows = blocks || bc7 ? (readback.Height() + 3) / 4 : readback.Height();
        std::vector<uint8_t> bytes;
        for (UINT y = 0; y < rows; ++y)
            bytes.insert(bytes.end(), readback.Row(y), readback.Row(y) + readback.RowBytes());
        return bytes;
    }

    ULONG DeviceReferences() { return References(gpu.Device()); }

    // Writes a file with the full chain stored, loads it and compares every level.
    void CheckRoundTrip(const Format& f, uint32_t w, uint32_t h)
    {
        uint32_t levels = 1;
        while ((w >> levels) || (h >> levels))
            ++levels;
        std::vector<uint8_t> payload;
        std::vector<std::vector<uint8_t>> stored;
        for (uint32_t i = 0; i < levels; ++i)
        {
            stored.push_back(MakeLevel(f, Dim(w, i), Dim(h, i), 17 * i + w + 1000 * h));
            payload.insert(payload.end(), stored.back().begin(), stored.back().end());
        }
        DdsBuilder builder = f.builder;
        ASSERT_EQ(Load(builder.Size(w, h).Mips(levels).Build(payload)), S_OK);

        // Block textures cover whole blocks.
        const D3D11_TEXTURE2D_DESC desc = Describe();
        EXPECT_EQ(desc.Width, f.blockBytes ? (w + 3) / 4 * 4 : w);
        EXPECT_EQ(desc.Height, f.blockBytes ? (h + 3) / 4 * 4 : h);
        EXPECT_EQ(desc.Format, f.expected);
        EXPECT_EQ(desc.MipLevels, levels);
        EXPECT_EQ(desc.ArraySize, 1u);
        EXPECT_EQ(desc.Usage, D3D11_USAGE_DEFAULT);
        EXPECT_EQ(desc.BindFlags, static_cast<UINT>(D3D11_BIND_SHADER_RESOURCE));
        EXPECT_EQ(desc.CPUAccessFlags, 0u);
        EXPECT_EQ(desc.MiscFlags, 0u);
        for (uint32_t i = 0; i < levels; ++i)
        {
            std::vector<uint8_t> expected = stored[i];
            if (f.encoding != SE::AsStored)
            {
                const uint32_t lw = Dim(w, i);
                const uint32_t lh = Dim(h, i);
                const size_t targetRow = lw * (f.encoding == SE::L16 ? 8 : 4);
                expected.assign(targetRow * lh, 0);
                for (uint32_t y = 0; y < lh; ++y)
                    PixelWidener::WidenRow(f.encoding, stored[i].data() + y * lw * f.bitsPerTexel / 8, lw,
                                           expected.data() + y * targetRow);
            }
            EXPECT_EQ(ReadLevel(i), expected) << "level " << i;
        }
    }

    TestDevice gpu;
    TempFolder files;
    ComPtr<ID3D11ShaderResourceView> view;
    ComPtr<ID3D11Texture2D> texture;
};

const uint32_t Rgb = DdsBuilder::PfRgb;
const uint32_t RgbAlpha = DdsBuilder::PfRgb | DdsBuilder::PfAlphaPixels;
const Format Formats[] = {
    {"DXT1", DdsBuilder::FourCC("DXT1"), DXGI_FORMAT_BC1_UNORM, 0, 8, SE::AsStored, Payload::Raw},
    {"DXT3", DdsBuilder::FourCC("DXT3"), DXGI_FORMAT_BC2_UNORM, 0, 16, SE::AsStored, Payload::Raw},
    {"DXT5", DdsBuilder::FourCC("DXT5"), DXGI_FORMAT_BC3_UNORM, 0, 16, SE::AsStored, Payload::Raw},
    {"ATI1", DdsBuilder::FourCC("ATI1"), DXGI_FORMAT_BC4_UNORM, 0, 8, SE::AsStored, Payload::Raw},
    {"BC4S", DdsBuilder::FourCC("BC4S"), DXGI_FORMAT_BC4_SNORM, 0, 8, SE::AsStored, Payload::Raw},
    {"ATI2", DdsBuilder::FourCC("ATI2"), DXGI_FORMAT_BC5_UNORM, 0, 16, SE::AsStored, Payload::Raw},
    {"BC7", DdsBuilder::Dx10(DXGI_FORMAT_BC7_UNORM), DXGI_FORMAT_BC7_UNORM, 0, 16, SE::AsStored, Payload::Raw},
    {"A8B8G8R8", DdsBuilder::Masks(RgbAlpha, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u), DXGI_FORMAT_R8G8B8A8_UNORM,
     32, 0, SE::AsStored, Payload::Raw},
    {"A8R8G8B8", DdsBuilder::Masks(RgbAlpha, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), DXGI_FORMAT_B8G8R8A8_UNORM,
     32, 0, SE::AsStored, Payload::Raw},
    {"X8R8G8B8", DdsBuilder::Masks(Rgb, 32, 0xFF0000, 0xFF00, 0xFF, 0), DXGI_FORMAT_B8G8R8X8_UNORM, 32, 0,
     SE::AsStored, Payload::Opaque},
    {"X8B8G8R8", DdsBuilder::Masks(Rgb, 32, 0xFF, 0xFF00, 0xFF0000, 0), DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0,
     SE::Rgbx8888, Payload::Raw},
    {"R8G8B8", DdsBuilder::Masks(Rgb, 24, 0xFF0000, 0xFF00, 0xFF, 0), DXGI_FORMAT_R8G8B8A8_UNORM, 24, 0, SE::Bgr888,
     Payload::Raw},
    {"A2B10G10R10", DdsBuilder::Masks(RgbAlpha, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000u),
     DXGI_FORMAT_R10G10B10A2_UNORM, 32, 0, SE::AsStored, Payload::Raw},
    {"G16R16", DdsBuilder::Masks(Rgb, 32, 0xFFFF, 0xFFFF0000u, 0, 0), DXGI_FORMAT_R16G16_UNORM, 32, 0, SE::AsStored,
     Payload::Raw},
    {"R5G6B5", DdsBuilder::Masks(Rgb, 16, 0xF800, 0x7E0, 0x1F, 0), DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0, SE::Bgr565,
     Payload::Raw},
    {"A1R5G5B5", DdsBuilder::Masks(RgbAlpha, 16, 0x7C00, 0x3E0, 0x1F, 0x8000), DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0,
     SE::Bgra5551, Payload::Raw},
    {"A4R4G4B4", DdsBuilder::Masks(RgbAlpha, 16, 0xF00, 0xF0, 0xF, 0xF000), DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0,
     SE::Bgra4444, Payload::Raw},
    {"B5G6R5 extended", DdsBuilder::Dx10(DXGI_FORMAT_B5G6R5_UNORM), DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0, SE::Bgr565,
     Payload::Raw},
    {"L8", DdsBuilder::Masks(DdsBuilder::PfLuminance, 8, 0xFF, 0, 0, 0), DXGI_FORMAT_R8G8B8A8_UNORM, 8, 0, SE::L8,
     Payload::Raw},
    {"A8L8", DdsBuilder::Masks(DdsBuilder::PfLuminance | DdsBuilder::PfAlphaPixels, 16, 0xFF, 0, 0, 0xFF00),
     DXGI_FORMAT_R8G8B8A8_UNORM, 16, 0, SE::A8L8, Payload::Raw},
    {"L16", DdsBuilder::Masks(DdsBuilder::PfLuminance, 16, 0xFFFF, 0, 0, 0), DXGI_FORMAT_R16G16B16A16_UNORM, 16, 0,
     SE::L16, Payload::Raw},
    {"A8", DdsBuilder::Masks(DdsBuilder::PfAlpha, 8, 0, 0, 0, 0xFF), DXGI_FORMAT_A8_UNORM, 8, 0, SE::AsStored,
     Payload::Raw},
    {"RGBA16", DdsBuilder::FourCC(36), DXGI_FORMAT_R16G16B16A16_UNORM, 64, 0, SE::AsStored, Payload::Raw},
    {"RGBA16F", DdsBuilder::FourCC(113), DXGI_FORMAT_R16G16B16A16_FLOAT, 64, 0, SE::AsStored, Payload::Half},
    {"R16F", DdsBuilder::FourCC(111), DXGI_FORMAT_R16_FLOAT, 16, 0, SE::AsStored, Payload::Half},
    {"RGBA32F", DdsBuilder::FourCC(116), DXGI_FORMAT_R32G32B32A32_FLOAT, 128, 0, SE::AsStored, Payload::Float},
    {"R32F", DdsBuilder::FourCC(114), DXGI_FORMAT_R32_FLOAT, 32, 0, SE::AsStored, Payload::Float},
    {"RGBA8 extended", DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM), DXGI_FORMAT_R8G8B8A8_UNORM, 32, 0, SE::AsStored,
     Payload::Raw},
};

TEST_F(TextureLoad, EveryFormatReadsBackAsStoredAtEverySize)
{
    ASSERT_TRUE(gpu.Ok());
    const uint32_t sizes[][2] = {{1, 1}, {5, 7}, {16, 8}};
    for (const Format& f : Formats)
        for (const auto& size : sizes)
        {
            SCOPED_TRACE(std::string(f.name) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]));
            CheckRoundTrip(f, size[0], size[1]);
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
    ASSERT_EQ(Describe().MipLevels, 3u);
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
    ASSERT_EQ(Describe().MipLevels, 2u);
    EXPECT_EQ(ReadLevel(1), (std::vector<uint8_t>{25, 25, 25, 255}));
}

TEST_F(TextureLoad, BlockCompressedFilesKeepOnlyTheirStoredLevels)
{
    ASSERT_TRUE(gpu.Ok());
    const std::vector<uint8_t> blocks = PatternBytes(16 * 8 + 4 * 8, 3);
    ASSERT_EQ(Load(DdsBuilder::FourCC("DXT1").Size(16, 16).Mips(2).Build(blocks)), S_OK);
    EXPECT_EQ(Describe().MipLevels, 2u);
    EXPECT_EQ(ReadLevel(1), std::vector<uint8_t>(blocks.begin() + 128, blocks.end()));
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
    const std::vector<uint8_t> some = PatternBytes(4096, 9);
    const std::vector<uint8_t> files[] = {
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(65535, 65535).Build(some),
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(16385, 1).Build(PatternBytes(16385 * 4, 1)),
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(0, 4).Build(some),
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Size(4, 4).Mips(100).Build(some),
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Extended(3, 0, 0).Build(some),
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_UNORM).Extended(3, 0, 0xFFFFFFFF).Build(some),
        DdsBuilder::Dx10(DXGI_FORMAT_R8G8B8A8_TYPELESS).Build(some),
        DdsBuilder::Dx10(0xFFFFFFFF).Build(some),
        DdsBuilder::FourCC("DXT1").Caps2(0xFE00).Build(some),
        DdsBuilder::FourCC("JUNK").Build(some),
        DdsBuilder::FourCC("DXT1").Size(0xFFFFFFFF, 0xFFFFFFFF).Mips(0xFFFFFFFF).Build(some),
    };
    for (size_t i = 0; i < sizeof(files) / sizeof(files[0]); ++i)
        EXPECT_EQ(Load(files[i]), E_FAIL) << "file " << i;
    EXPECT_EQ(DeviceReferences(), before);
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
        if (result == S_OK)
        {
            ++loaded;
            EXPECT_EQ(Describe().ArraySize, 1u);
        }
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
    EXPECT_EQ(Describe().MipLevels, 4u);
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
    EXPECT_EQ(Describe().MipLevels, 2u);
    EXPECT_EQ(Describe().Usage, D3D11_USAGE_IMMUTABLE);

    info = DefaultLoadInfo();
    info.MipLevels = 1;
    info.Width = 8;
    info.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    ASSERT_EQ(Load(file, &info), S_OK);
    EXPECT_EQ(Describe().MipLevels, 1u);

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
