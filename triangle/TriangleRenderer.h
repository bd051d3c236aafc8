#pragma once

#include <windows.h>
#include <d3d11.h>

#include "d3dx10math.h"

// One vertex as the vertex buffer holds it: 28 bytes, no padding.
struct TriangleVertex
{
    FLOAT X, Y, Z;
    D3DXCOLOR Color;
};

// The triangle, top (red), lower right (green), lower left (blue): clockwise, so not culled.
extern const TriangleVertex OurVertices[3];

// Input layout matching TriangleVertex.
extern const D3D11_INPUT_ELEMENT_DESC ied[2];

// Program-wide renderer state: null before StartDirect3D and after StopDirect3D.
extern IDXGISwapChain* swapChain;
extern ID3D11Device* device;
extern ID3D11DeviceContext* deviceContext;
extern ID3D11RenderTargetView* backBufferTarget;
extern ID3D11InputLayout* inputLayout;
extern ID3D11VertexShader* vertexShader;
extern ID3D11PixelShader* pixelShader;
extern ID3D11Buffer* vertexBuffer;

// Creates everything and binds the pipeline for the window. On false, nothing
// more is created, StartFailure() names what failed, and StopDirect3D still
// has to release what exists.
bool StartDirect3D(HWND window);

// Clears, draws the triangle and presents; does nothing unless started.
void DrawFrame();

// Releases whatever exists; safe after a failed start and safe twice.
void StopDirect3D();

// The sentence naming what made the last StartDirect3D fail (empty if it did not).
const wchar_t* StartFailure();
