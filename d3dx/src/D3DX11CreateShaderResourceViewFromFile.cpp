#include "d3dx11.h"

#include "DdsDecoder.h"
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
static_assert(DxgiFormat::R8G8B8A8Typeless == DXGI_FORMAT_R8G8B8A8_TYPELESS, "DXGI numbering");
static_assert(DxgiFormat::BC7Typeless == DXGI_FORMAT_BC7_TYPELESS, "DXGI numbering");
// The reader's limits are the device's.
static_assert(DdsFile::MaxDimension == D3D11_REQ_TEXTURE2D_U_OR_V_DIMENSION &&
                  DdsFile::MaxDimension == D3D11_REQ_TEXTURECUBE_DIMENSION,
              "2D and cube limits");
static_assert(DdsFile::MaxVolumeDimension == D3D11_REQ_TEXTURE3D_U_V_OR_W_DIMENSION, "volume limit");
static_assert(DdsFile::MaxArraySize == D3D11_REQ_TEXTURE2D_ARRAY_AXIS_DIMENSION, "array limit");
static_assert(DdsFile::MaxLevels == D3D11_REQ_MIP_LEVELS, "mip levels");

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
    UINT depth = 0;
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
    if (!IsFromFile(loadInfo->FirstMipLevel) || !IsDefault(loadInfo->CpuAccessFlags) ||
        !IsDefault(loadInfo->MiscFlags))
        return E_NOTIMPL;

    request.width = IsFromFile(loadInfo->Width) ? 0 : loadInfo->Width;
    request.height = IsFromFile(loadInfo->Height) ? 0 : loadInfo->Height;
    request.depth = IsFromFile(loadInfo->Depth) ? 0 : loadInfo->Depth;
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

HRESULT DecodeDds(const FileBytes& file, const LoadRequest& request, MipChain& chain, D3DX11_IMAGE_INFO& info)
{
    DdsFile dds;
    if (!dds.Parse(file.Data(), file.Size()))
        return E_FAIL;
    if (!DdsDecoder::Decode(dds, file.Data(), request.levelsFromFile ? dds.LevelCount() : request.wantedLevels,
                            chain))
        return E_OUTOFMEMORY;

    info.Width = dds.Width();
    info.Height = dds.Height();
    info.Depth = dds.Depth();
    info.ArraySize = dds.ArraySize();
    info.MipLevels = dds.LevelCount();
    info.MiscFlags = dds.Kind() == TextureKind::Cube ? D3D11_RESOURCE_MISC_TEXTURECUBE : 0;
    info.ResourceDimension = dds.Kind() == TextureKind::Volume ? D3D11_RESOURCE_DIMENSION_TEXTURE3D
                                                                : D3D11_RESOURCE_DIMENSION_TEXTURE2D;
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
    info.Depth = 1;
    info.ArraySize = 1;
    info.MipLevels = 1;
    info.ResourceDimension = D3D11_RESOURCE_DIMENSION_TEXTURE2D;
    return S_OK;
}

// Sizes and formats other than the file's would need resampling or conversion.
HRESULT CheckRequestMatches(const LoadRequest& request, const D3DX11_IMAGE_INFO& info, const MipChain& chain)
{
    if ((request.width && request.width != info.Width) || (request.height && request.height != info.Height) ||
        (request.depth && request.depth != info.Depth) || (request.format && request.format != chain.Format()))
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
        info.Format = static_cast<DXGI_FORMAT>(chain.Format());
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
