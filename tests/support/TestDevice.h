#pragma once

#include "ComPtr.h"
#include "TestWindow.h"

#include <d3d11.h>

// A feature-level 11.0 device with a windowed swap chain on its own window:
// the starting point of every GPU test.
class TestDevice
{
public:
    TestDevice(int width = 64, int height = 64);

    bool Ok() const { return device && context && swapChain; }
    HRESULT Result() const { return result; }

    ID3D11Device* Device() const { return device.Get(); }
    ID3D11DeviceContext* Context() const { return context.Get(); }
    IDXGISwapChain* SwapChain() const { return swapChain.Get(); }
    HWND Window() const { return window.Handle(); }

    // The swap chain's back buffer 0 (a new reference the caller must release).
    ID3D11Texture2D* BackBuffer() const;

private:
    TestWindow window;
    HRESULT result = E_FAIL;
    ComPtr<IDXGISwapChain> swapChain;
    ComPtr<ID3D11Device> device;
    ComPtr<ID3D11DeviceContext> context;
};
