#include "PresentProbe.h"

#include "ComMethods.h"
#include "ComPtr.h"
#include "VtablePatch.h"

#include <d3d11.h>

namespace
{
using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDXGISwapChain*, UINT, UINT);

int presents = 0;
bool captureNext = false;
bool captured = false;
TextureReadback colour;
TextureReadback depth;

bool ReadBoundTargets(IDXGISwapChain* swapChain)
{
    ComPtr<ID3D11Device> device;
    if (FAILED(swapChain->GetDevice(__uuidof(ID3D11Device), reinterpret_cast<void**>(device.Put()))))
        return false;
    ComPtr<ID3D11DeviceContext> context;
    device->GetImmediateContext(context.Put());
    ComPtr<ID3D11RenderTargetView> target;
    ComPtr<ID3D11DepthStencilView> depthView;
    context->OMGetRenderTargets(1, target.Put(), depthView.Put());
    if (!target || !depthView)
        return false;
    ComPtr<ID3D11Resource> targetTexture;
    ComPtr<ID3D11Resource> depthTexture;
    target->GetResource(targetTexture.Put());
    depthView->GetResource(depthTexture.Put());
    return colour.Read(device.Get(), context.Get(), targetTexture.Get()) &&
           depth.Read(device.Get(), context.Get(), depthTexture.Get());
}

HRESULT STDMETHODCALLTYPE ProbingPresent(IDXGISwapChain* swapChain, UINT syncInterval, UINT flags)
{
    ++presents;
    if (captureNext)
    {
        captureNext = false;
        captured = ReadBoundTargets(swapChain);
    }
    const unsigned slot = ComMethods[ComMethodSwapChainPresent].slot;
    const PresentFunction original = reinterpret_cast<PresentFunction>(VtablePatch::Original(swapChain, slot));
    return original(swapChain, syncInterval, flags);
}
}

bool PresentProbe::Attach(IDXGISwapChain* swapChain)
{
    return swapChain && VtablePatch::Patch(swapChain, ComMethods[ComMethodSwapChainPresent].slot,
                                           reinterpret_cast<void*>(&ProbingPresent));
}

int PresentProbe::Presents()
{
    return presents;
}

void PresentProbe::CaptureNextFrame()
{
    captureNext = true;
    captured = false;
}

bool PresentProbe::Captured()
{
    return captured;
}

const TextureReadback& PresentProbe::Colour()
{
    return colour;
}

const TextureReadback& PresentProbe::Depth()
{
    return depth;
}
