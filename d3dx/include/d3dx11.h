// The project's own D3DX 11 subset: shader compilation from a file and
// texture loading, with the original names and signatures.
#ifndef VEXELO_D3DX11_H
#define VEXELO_D3DX11_H

#include <d3d11.h>
#include <d3d10shader.h>

#ifndef D3DX11_DEFAULT
#define D3DX11_DEFAULT ((UINT)-1)
#endif
#ifndef D3DX11_FROM_FILE
#define D3DX11_FROM_FILE ((UINT)-3)
#endif

// Thread pumps are not supported; the type exists so that signatures match.
struct ID3DX11ThreadPump;

enum D3DX11_IMAGE_FILE_FORMAT
{
    D3DX11_IFF_BMP = 0,
    D3DX11_IFF_JPG = 1,
    D3DX11_IFF_PNG = 3,
    D3DX11_IFF_DDS = 4,
    D3DX11_IFF_TIFF = 10,
    D3DX11_IFF_GIF = 11,
    D3DX11_IFF_WMP = 12,
    D3DX11_IFF_FORCE_DWORD = 0x7fffffff
};

struct D3DX11_IMAGE_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT ArraySize;
    UINT MipLevels;
    UINT MiscFlags;
    DXGI_FORMAT Format;
    D3D11_RESOURCE_DIMENSION ResourceDimension;
    D3DX11_IMAGE_FILE_FORMAT ImageFileFormat;
};

struct D3DX11_IMAGE_LOAD_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT FirstMipLevel;
    UINT MipLevels;
    D3D11_USAGE Usage;
    UINT BindFlags;
    UINT CpuAccessFlags;
    UINT MiscFlags;
    DXGI_FORMAT Format;
    UINT Filter;
    UINT MipFilter;
    D3DX11_IMAGE_INFO* pSrcInfo;
};

HRESULT WINAPI D3DX11CompileFromFileW(LPCWSTR pSrcFile, const D3D10_SHADER_MACRO* pDefines,
                                      LPD3D10INCLUDE pInclude, LPCSTR pFunctionName, LPCSTR pProfile,
                                      UINT Flags1, UINT Flags2, ID3DX11ThreadPump* pPump,
                                      ID3D10Blob** ppShader, ID3D10Blob** ppErrorMsgs, HRESULT* pHResult);

HRESULT WINAPI D3DX11CreateShaderResourceViewFromFileW(ID3D11Device* pDevice, LPCWSTR pSrcFile,
                                                       D3DX11_IMAGE_LOAD_INFO* pLoadInfo,
                                                       ID3DX11ThreadPump* pPump,
                                                       ID3D11ShaderResourceView** ppShaderResourceView,
                                                       HRESULT* pHResult);

#endif
