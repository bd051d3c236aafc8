// Decodes PNG, JPEG, BMP, GIF and TIFF images held in memory through the
// Windows Imaging Component into RGBA8 texels.
#ifndef VEXELO_WICIMAGEREADER_H
#define VEXELO_WICIMAGEREADER_H

#include "d3dx11.h"

#include <cstddef>
#include <cstdint>

struct IWICImagingFactory;
struct IWICBitmapSource;
class MipChain;

class WicImageReader
{
public:
    // Decodes the first frame into level 0 of a new R8G8B8A8_UNORM chain of
    // MipChain::ChainLength(width, height, wantedLevels) levels (the others
    // are left for the caller to fill) and tells the file's kind. E_FAIL for
    // data no decoder of the D3DX kinds accepts, E_OUTOFMEMORY when the chain
    // cannot be allocated, or the failing call's code.
    HRESULT Read(const uint8_t* data, size_t size, uint32_t wantedLevels, MipChain& chain,
                 D3DX11_IMAGE_FILE_FORMAT& kind);

private:
    HRESULT Decode(IWICImagingFactory* factory, const uint8_t* data, size_t size, uint32_t wantedLevels,
                   MipChain& chain, D3DX11_IMAGE_FILE_FORMAT& kind);
    HRESULT CopyConverted(IWICImagingFactory* factory, IWICBitmapSource* frame, MipChain& chain);
};

#endif
