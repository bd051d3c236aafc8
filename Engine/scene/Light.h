#pragma once

#include <d3dx10math.h>

// The parameters of the scene's one directional light. Values are kept
// exactly as given: the shader decides how to use them.
class Light
{
public:
    Light();
    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;
    ~Light();

    void SetExtraColor1(float red, float green, float blue, float alpha);
    void SetDiffuseColor(float red, float green, float blue, float alpha);
    void SetDirection(float x, float y, float z);
    void SetExtraColor2(float red, float green, float blue, float alpha);
    void SetExtraValue(float value);

    D3DXVECTOR4 GetExtraColor1();
    D3DXVECTOR4 GetDiffuseColor();
    D3DXVECTOR3 GetDirection();
    D3DXVECTOR4 GetExtraColor2();
    float GetExtraValue();

private:
    // Zeroed at construction; nothing reads a field before its setter runs.
    D3DXVECTOR4 extraColor1{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 diffuseColor{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 extraColor2{0.0f, 0.0f, 0.0f, 0.0f};
    float extraValue = 0.0f;
    D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};
};
