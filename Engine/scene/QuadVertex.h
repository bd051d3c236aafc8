#pragma once

#include <d3dx10math.h>

#include <cstddef>

// The debug window's GPU vertex. The texture shader's input layout reads these offsets.
struct QuadVertex
{
    D3DXVECTOR3 position;
    D3DXVECTOR2 texture;
};

static_assert(sizeof(QuadVertex) == 20, "QuadVertex is a 20-byte GPU vertex");
static_assert(offsetof(QuadVertex, texture) == 12, "texture coordinates follow the position");
