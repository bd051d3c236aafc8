#include "d3dx11.h"

HRESULT WINAPI D3DX11CreateShaderResourceViewFromFileW(ID3D11Device* pDevice, LPCWSTR pSrcFile,
                                                       D3DX11_IMAGE_LOAD_INFO* pLoadInfo,
                                                       ID3DX11ThreadPump* pPump,
                                                       ID3D11ShaderResourceView** ppShaderResourceView,
                                                       HRESULT* pHResult)
{
    (void)pDevice; (void)pSrcFile; (void)pLoadInfo; (void)pPump;
    if (ppShaderResourceView)
        *ppShaderResourceView = nullptr;
    if (pHResult)
        *pHResult = E_NOTIMPL;
    return E_NOTIMPL;
}
