#pragma once

// The COM methods the fault injection and the probes intercept: vtable slot, display name and
// the result a failed call returns. Slots come from the C declarations of the vtables
// (ComMethods.c), so no slot number is counted by hand.
#ifdef __cplusplus
extern "C" {
#endif

enum ComMethod
{
    ComMethodFactoryEnumAdapters,
    ComMethodAdapterEnumOutputs,
    ComMethodOutputGetDisplayModeList,
    ComMethodSwapChainGetBuffer,
    ComMethodSwapChainPresent,
    ComMethodDeviceCreateBuffer,
    ComMethodDeviceCreateTexture2D,
    ComMethodDeviceCreateShaderResourceView,
    ComMethodDeviceCreateRenderTargetView,
    ComMethodDeviceCreateDepthStencilView,
    ComMethodDeviceCreateInputLayout,
    ComMethodDeviceCreateVertexShader,
    ComMethodDeviceCreatePixelShader,
    ComMethodDeviceCreateBlendState,
    ComMethodDeviceCreateDepthStencilState,
    ComMethodDeviceCreateRasterizerState,
    ComMethodDeviceCreateSamplerState,
    ComMethodContextMap,
    ComMethodDirectInputCreateDevice,
    ComMethodInputDeviceSetDataFormat,
    ComMethodInputDeviceSetCooperativeLevel,
    ComMethodInputDeviceAcquire,
    ComMethodInputDeviceGetDeviceState,
    ComMethodCount
};

struct ComMethodInfo
{
    unsigned slot;
    const char* name;
    long failure;
};

extern const struct ComMethodInfo ComMethods[ComMethodCount];

#ifdef __cplusplus
}
#endif
