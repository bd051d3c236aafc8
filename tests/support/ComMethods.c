#define DIRECTINPUT_VERSION 0x0800
#include <d3d11.h>
#include <dinput.h>
#include <dxgi.h>

#include <stddef.h>

#include "ComMethods.h"

#define COM_METHOD(id, Interface, Method, failure) \
    [id] = {offsetof(Interface##Vtbl, Method) / sizeof(void*), #Interface "::" #Method, failure}

const struct ComMethodInfo ComMethods[ComMethodCount] = {
    COM_METHOD(ComMethodFactoryEnumAdapters, IDXGIFactory, EnumAdapters, E_FAIL),
    COM_METHOD(ComMethodAdapterEnumOutputs, IDXGIAdapter, EnumOutputs, E_FAIL),
    COM_METHOD(ComMethodOutputGetDisplayModeList, IDXGIOutput, GetDisplayModeList, E_FAIL),
    COM_METHOD(ComMethodSwapChainGetBuffer, IDXGISwapChain, GetBuffer, E_FAIL),
    COM_METHOD(ComMethodSwapChainPresent, IDXGISwapChain, Present, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateBuffer, ID3D11Device, CreateBuffer, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateTexture2D, ID3D11Device, CreateTexture2D, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateShaderResourceView, ID3D11Device, CreateShaderResourceView, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateRenderTargetView, ID3D11Device, CreateRenderTargetView, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateDepthStencilView, ID3D11Device, CreateDepthStencilView, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateInputLayout, ID3D11Device, CreateInputLayout, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateVertexShader, ID3D11Device, CreateVertexShader, E_FAIL),
    COM_METHOD(ComMethodDeviceCreatePixelShader, ID3D11Device, CreatePixelShader, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateBlendState, ID3D11Device, CreateBlendState, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateDepthStencilState, ID3D11Device, CreateDepthStencilState, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateRasterizerState, ID3D11Device, CreateRasterizerState, E_FAIL),
    COM_METHOD(ComMethodDeviceCreateSamplerState, ID3D11Device, CreateSamplerState, E_FAIL),
    COM_METHOD(ComMethodContextMap, ID3D11DeviceContext, Map, E_FAIL),
    COM_METHOD(ComMethodDirectInputCreateDevice, IDirectInput8W, CreateDevice, E_FAIL),
    COM_METHOD(ComMethodInputDeviceSetDataFormat, IDirectInputDevice8W, SetDataFormat, E_FAIL),
    COM_METHOD(ComMethodInputDeviceSetCooperativeLevel, IDirectInputDevice8W, SetCooperativeLevel, E_FAIL),
    /* What a real Acquire reports when another program has the device. */
    COM_METHOD(ComMethodInputDeviceAcquire, IDirectInputDevice8W, Acquire, DIERR_OTHERAPPHASPRIO),
    COM_METHOD(ComMethodInputDeviceGetDeviceState, IDirectInputDevice8W, GetDeviceState, E_FAIL),
};
