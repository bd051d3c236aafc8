#include "d3dx11.h"

#include "DdsFile.h"
#include "FileBytes.h"
#include "MipChain.h"
#include "PixelFormatTable.h"
#include "TextureUpload.h"
#include "WicImageReader.h"

#include <cstring>

// The portable code names DXGI formats by number; they must be the real ones.
static_assert(DxgiFormat::R8G8B8A8Unorm == DXGI_FORMAT_R8G8B8A8_UNORM, "DXGI numbering");
static_assert(DxgiFormat::R16G16B16A16Unorm == DXGI_FORMAT_R16G16B16A16_UNORM, "DXGI numbering");
static_assert(DxgiFormat::A8Unorm == DXGI_FORMAT_A8_UNORM, "DXGI numbering");
static_assert(DxgiFormat::BC1Unorm == DXGI_FORMAT_BC1_UNORM, "DXGI numbering");
static_assert(DxgiFormat::BC5Snorm == DXGI_FORMAT_BC5_SNORM, "DXGI numbering");
static_assert(DxgiFormat::B8G8R8X8Unorm == DXGI_FORMAT_B8G8R8X8_UNORM, "DXGI numbering");
static_assert(DxgiFormat::BC7Unorm == DXGI_FORMAT_BC7_UNORM, "DXGI numbering");
static_assert(DxgiFormat::B4G4R4A4Unorm == DXGI_FORMAT_B4G4R4A4_UNORM, "DXGI numbering");

namespace
{
// Image files must fit 32-bit sizes.
const uint64_t MaxImageBytes = 0xFFFFFFFFull;

// What a load-info argument asks for, once checked.
struct LoadRequest
{
    uint32_t wantedLevels = 0;   // 0: the full chain
    bool levelsFromFile = false;
    TextureUsage usage;
    UINT width = 0;              // 0: as the file
    UINT height = 0;
    UINT format = DXGI_FORMAT_UNKNOWN;
};

bool IsDefault(UINT value)
{
    return value == D3DX11_DEFAULT || value == 0;
}

bool IsFromFile(UINT value)
{
    return IsDefault(value) || value == D3DX11_FROM_FILE;
}

// Honours what needs no resampling or format conversion; refuses the rest.
HRESULT ReadLoadInfo(const D3DX11_IMAGE_LOAD_INFO* loadInfo, LoadRequest& request)
{
    if (!loadInfo)
        return S_OK;
    if (!IsFromFile(loadInfo->Depth) && loadInfo->Depth != 1)
        return E_NOTIMPL;
    if (!IsFromFile(loadInfo->FirstMipLevel) || !IsDefault(loadInfo->CpuAccessFlags) ||
        !IsDefault(loadInfo->MiscFlags))
        return E_NOTIMPL;

    request.width = IsFromFile(loadInfo->Width) ? 0 : loadInfo->Width;
    request.height = IsFromFile(loadInfo->Height) ? 0 : loadInfo->Height;
    request.format = IsFromFile(static_cast<UINT>(loadInfo->Format)) ? 0 : static_cast<UINT>(loadInfo->Format);
    request.levelsFromFile = loadInfo->MipLevels == D3DX11_FROM_FILE;
    request.wantedLevels = IsDefault(loadInfo->MipLevels) || request.levelsFromFile ? 0 : loadInfo->MipLevels;

    const UINT usage = static_cast<UINT>(loadInfo->Usage);
    if (usage == D3D11_USAGE_IMMUTABLE)
        request.usage.usage = D3D11_USAGE_IMMUTABLE;
    else if (!IsDefault(usage))
        return E_NOTIMPL;
    if (!IsDefault(loadInfo->BindFlags))
    {
        if ((loadInfo->BindFlags & D3D11_BIND_SHADER_RESOURCE) == 0)
            return E_INVALIDARG;  // the result is a shader resource view
        request.usage.bindFlags = loadInfo->BindFlags;
    }
    return S_OK;
}

bool IsDds(const FileBytes& file)
{
    return file.Size() >= 4 && std::memcmp(file.Data(), "DDS ", 4) == 0;
}

// A padded block level may hold more blocks than the file's; those stay zero.
void CopyStoredLevel(const DdsFile& dds, const uint8_t* file, uint32_t index, MipChain& chain)
{
    const DdsLevel& stored = dds.Level(index);
    const MipLevel& target = chain.Level(index);
    if (target.size > stored.size)
        std::memset(chain.Data(index), 0, static_cast<size_t>(target.size));
    for (uint32_t row = 0; row < stored.rowCount; ++row)
    {
        const uint8_t* source = file + stored.offset + static_cast<uint64_t>(row) * stored.rowPitch;
        uint8_t* destination = chain.Data(index) + static_cast<size_t>(row) * target.rowPitch;
        if (dds.Encoding() == SourceEncoding::AsStored)
            std::memcpy(destination, source, stored.rowPitch);
        else
            PixelWidener::WidenRow(dds.Encoding(), source, stored.width, destination);
    }
}

uint32_t RoundUpToBlocks(uint32_t size)
{
    return (size + 3) & ~3u;
}

// Stored levels are used; missing smaller ones are generated, except for
// formats that cannot be averaged (blocks, packed), which keep what is stored.
// Block-compressed textures are made a whole number of blocks in size, as
// devices require of their top level.
HRESULT DecodeDds(const FileBytes& file, const LoadRequest& request, MipChain& chain, D3DX11_IMAGE_INFO& info)
{
    DdsFile dds;
    if (!dds.Parse(file.Data(), file.Size()))
        return E_FAIL;

    const uint32_t stored = dds.LevelCount();
    uint32_t levels = MipChain::ChainLength(dds.Width(), dds.Height(),
                                            request.levelsFromFile ? stored : request.wantedLevels);
    const PixelFormatInfo* format = PixelFormatTable::Find(dds.Format());
    if (!format || (!PixelFormatTable::CanFilter(*format) && levels > stored))
        levels = stored;
    const bool blocks = format && PixelFormatTable::IsBlockCompressed(*format);
    const uint32_t width = blocks ? RoundUpToBlocks(dds.Width()) : dds.Width();
    const uint32_t height = blocks ? RoundUpToBlocks(dds.Height()) : dds.Height();
    if (!chain.Allocate(dds.Format(), width, height, levels))
        return E_OUTOFMEMORY;

    const uint32_t copied = levels < stored ? levels : stored;
    for (uint32_t i = 0; i < copied; ++i)
        CopyStoredLevel(dds, file.Data(), i, chain);
    chain.GenerateFrom(copied);

    info.Width = dds.Width();
    info.Height = dds.Height();
    info.MipLevels = stored;
    info.ImageFileFormat = D3DX11_IFF_DDS;
    return S_OK;
}

HRESULT DecodeOther(const FileBytes& file, const LoadRequest& request, MipChain& chain, D3DX11_IMAGE_INFO& info)
{
    WicImageReader reader;
    const HRESULT result = reader.Read(file.Data(), file.Size(), request.levelsFromFile ? 1 : request.wantedLevels,
                                       chain, info.ImageFileFormat);
    if (FAILED(result))
        return result;
    chain.GenerateFrom(1);
    info.Width = chain.Level(0).width;
    info.Height = chain.Level(0).height;
    info.MipLevels = 1;
    return S_OK;
}

// Sizes and formats other than the file's would need resampling or conversion.
HRESULT CheckRequestMatches(const LoadRequest& request, const D3DX11_IMAGE_INFO& info, const MipChain& chain)
{
    if ((request.width && request.width != info.Width) || (request.height && request.height != info.Height) ||
        (request.format && request.format != chain.Format()))
        return E_NOTIMPL;
    return S_OK;
}

HRESULT ReadFailure(HRESULT result)
{
    if (result == D3D11_ERROR_FILE_NOT_FOUND || result == E_OUTOFMEMORY)
        return result;
    return E_FAIL;
}

HRESULT Load(ID3D11Device* device, LPCWSTR fileName, D3DX11_IMAGE_LOAD_INFO* loadInfo,
             ID3DX11ThreadPump* pump, ID3D11ShaderResourceView** view)
{
    if (!device || !view)
        return E_INVALIDARG;
    if (pump)
        return E_NOTIMPL;
    if (!fileName)
        return E_FAIL;

    LoadRequest request;
    HRESULT result = ReadLoadInfo(loadInfo, request);
    if (FAILED(result))
        return result;

    FileBytes file;
    result = file.Read(fileName, MaxImageBytes);
    if (FAILED(result))
        return ReadFailure(result);

    MipChain chain;
    D3DX11_IMAGE_INFO info = {};
    result = IsDds(file) ? DecodeDds(file, request, chain, info) : DecodeOther(file, request, chain, info);
    if (FAILED(result))
        return result;
    result = CheckRequestMatches(request, info, chain);
    if (FAILED(result))
        return result;

    if (loadInfo && loadInfo->pSrcInfo)
    {
        info.Depth = 1;
        info.ArraySize = 1;
        info.Format = static_cast<DXGI_FORMAT>(chain.Format());
        info.ResourceDimension = D3D11_RESOURCE_DIMENSION_TEXTURE2D;
        *loadInfo->pSrcInfo = info;
    }
    return TextureUpload::Create(device, chain, request.usage, view);
}
}

HRESULT WINAPI D3DX11CreateShaderResourceViewFromFileW(ID3D11Device* pDevice, LPCWSTR pSrcFile,
                                                       D3DX11_IMAGE_LOAD_INFO* pLoadInfo,
                                                       ID3DX11ThreadPump* pPump,
                                                       ID3D11ShaderResourceView** ppShaderResourceView,
                                                       HRESULT* pHResult)
{
    if (ppShaderResourceView)
        *ppShaderResourceView = nullptr;
    const HRESULT result = Load(pDevice, pSrcFile, pLoadInfo, pPump, ppShaderResourceView);
    if (pHResult)
        *pHResult = result;
    return result;
}
