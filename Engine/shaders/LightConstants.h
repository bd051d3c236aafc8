#pragma once

#include <d3dx10math.h>

#include <cstddef>

// Register b0 of the light pixel shader: two 16-byte registers.
struct LightConstants
{
    D3DXVECTOR4 diffuseColor;
    D3DXVECTOR3 lightDirection;
    // Fills the second register. Never written, so the shader must not read it.
    float reserved;
};

static_assert(sizeof(LightConstants) == 32, "LightConstants is two 16-byte registers");
static_assert(offsetof(LightConstants, lightDirection) == 16, "the direction starts the second register");
