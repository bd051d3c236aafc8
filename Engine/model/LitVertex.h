#pragma once

#include <d3dx10math.h>

#include <cstddef>

// The model's GPU vertex. The light shader's input layout reads these offsets.
struct LitVertex
{
    D3DXVECTOR3 position;
    D3DXVECTOR2 texture;
    D3DXVECTOR3 normal;
};

static_assert(sizeof(LitVertex) == 32, "LitVertex is a 32-byte GPU vertex");
static_assert(offsetof(LitVertex, texture) == 12, "texture coordinates follow the position");
static_assert(offsetof(LitVertex, normal) == 20, "the normal follows the texture coordinates");
