#include "WicImageReader.h"

#include "MipChain.h"
#include "PixelFormatTable.h"

#include <wincodec.h>

namespace
{
// Releases the interface it holds when it goes out of scope.
template <typename T>
class Owned
{
public:
    Owned() = default;
    ~Owned()
    {
        if (pointer)
            pointer->Release();
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T* operator->() const { return pointer; }
    T* Get() const { return pointer; }
    T** Put() { return &pointer; }
    void** PutVoid() { return reinterpret_cast<void**>(&pointer); }

private:
    T* pointer = nullptr;
};

// The image kinds of the original loader; other decoders are not used.
bool KindOfContainer(const GUID& container, D3DX11_IMAGE_FILE_FORMAT& kind)
{
    struct Entry
    {
        const GUID* container;
        D3DX11_IMAGE_FILE_FORMAT kind;
    };
    const Entry entries[] = {
        {&GUID_ContainerFormatBmp, D3DX11_IFF_BMP}, {&GUID_ContainerFormatJpeg, D3DX11_IFF_JPG},
        {&GUID_ContainerFormatPng, D3DX11_IFF_PNG}, {&GUID_ContainerFormatTiff, D3DX11_IFF_TIFF},
        {&GUID_ContainerFormatGif, D3DX11_IFF_GIF}, {&GUID_ContainerFormatWmp, D3DX11_IFF_WMP},
    };
    for (const Entry& entry : entries)
        if (IsEqualGUID(container, *entry.container))
        {
            kind = entry.kind;
            return true;
        }
    return false;
}

HRESULT CreateFactory(IWICImagingFactory** factory)
{
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(factory));
    if (FAILED(result))
        result = CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(factory));
    return result;
}

HRESULT CopyAs(IWICImagingFactory* factory, IWICBitmapSource* frame, REFWICPixelFormatGUID format,
               MipChain& chain)
{
    Owned<IWICFormatConverter> converter;
    HRESULT result = factory->CreateFormatConverter(converter.Put());
    if (SUCCEEDED(result))
        result = converter->Initialize(frame, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(result))
        result = converter->CopyPixels(nullptr, chain.Level(0).rowPitch,
                                       static_cast<UINT>(chain.Level(0).size), chain.Data(0));
    return result;
}

void SwapRedAndBlue(MipChain& chain)
{
    uint8_t* texel = chain.Data(0);
    for (uint64_t i = 0; i < chain.Level(0).size / 4; ++i, texel += 4)
    {
        const uint8_t blue = texel[0];
        texel[0] = texel[2];
        texel[2] = blue;
    }
}
}

HRESULT WicImageReader::Read(const uint8_t* data, size_t size, uint32_t wantedLevels, MipChain& chain,
                             D3DX11_IMAGE_FILE_FORMAT& kind)
{
    // The factory cannot be created without COM; balance only our own start.
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(started) && started != RPC_E_CHANGED_MODE)
        return started;

    HRESULT result;
    {
        Owned<IWICImagingFactory> factory;
        result = CreateFactory(factory.Put());
        if (SUCCEEDED(result))
            result = Decode(factory.Get(), data, size, wantedLevels, chain, kind);
    }
    if (SUCCEEDED(started))
        CoUninitialize();
    return result;
}

HRESULT WicImageReader::Decode(IWICImagingFactory* factory, const uint8_t* data, size_t size,
                               uint32_t wantedLevels, MipChain& chain, D3DX11_IMAGE_FILE_FORMAT& kind)
{
    if (size == 0 || size > MAXDWORD)
        return E_FAIL;
    Owned<IWICStream> stream;
    HRESULT result = factory->CreateStream(stream.Put());
    if (FAILED(result))
        return result;
    result = stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size));
    if (FAILED(result))
        return result;

    Owned<IWICBitmapDecoder> decoder;
    GUID container;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                decoder.Put())) ||
        FAILED(decoder->GetContainerFormat(&container)) || !KindOfContainer(container, kind))
        return E_FAIL;

    Owned<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(frame->GetSize(&width, &height)) ||
        width == 0 || height == 0 || width > MipChain::MaxDimension || height > MipChain::MaxDimension)
        return E_FAIL;

    if (!chain.Allocate(DxgiFormat::R8G8B8A8Unorm, width, height,
                        MipChain::ChainLength(width, height, wantedLevels)))
        return E_OUTOFMEMORY;
    return CopyConverted(factory, frame.Get(), chain);
}

HRESULT WicImageReader::CopyConverted(IWICImagingFactory* factory, IWICBitmapSource* frame, MipChain& chain)
{
    if (SUCCEEDED(CopyAs(factory, frame, GUID_WICPixelFormat32bppRGBA, chain)))
        return S_OK;
    // Some converters lack RGBA output; BGRA with red and blue swapped is the same.
    if (FAILED(CopyAs(factory, frame, GUID_WICPixelFormat32bppBGRA, chain)))
        return E_FAIL;
    SwapRedAndBlue(chain);
    return S_OK;
}
