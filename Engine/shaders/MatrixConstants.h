#pragma once

#include <d3dx10math.h>

#include <cstddef>

// Register b0 of both vertex shaders. The matrices are stored transposed, so
// HLSL's column-major packing sees them as the row-major D3DX matrices.
struct MatrixConstants
{
    D3DXMATRIX world;
    D3DXMATRIX view;
    D3DXMATRIX projection;
};

static_assert(sizeof(MatrixConstants) == 192, "MatrixConstants is three 64-byte matrices");
static_assert(offsetof(MatrixConstants, view) == 64, "view follows world");
static_assert(offsetof(MatrixConstants, projection) == 128, "projection follows view");
