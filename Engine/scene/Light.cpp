#include "Light.h"

Light::Light() = default;

Light::~Light() = default;

void Light::SetExtraColor1(float red, float green, float blue, float alpha)
{
    extraColor1 = D3DXVECTOR4(red, green, blue, alpha);
}

void Light::SetDiffuseColor(float red, float green, float blue, float alpha)
{
    diffuseColor = D3DXVECTOR4(red, green, blue, alpha);
}

void Light::SetDirection(float x, float y, float z)
{
    direction = D3DXVECTOR3(x, y, z);
}

void Light::SetExtraColor2(float red, float green, float blue, float alpha)
{
    extraColor2 = D3DXVECTOR4(red, green, blue, alpha);
}

void Light::SetExtraValue(float value)
{
    extraValue = value;
}

D3DXVECTOR4 Light::GetExtraColor1()
{
    return extraColor1;
}

D3DXVECTOR4 Light::GetDiffuseColor()
{
    return diffuseColor;
}

D3DXVECTOR3 Light::GetDirection()
{
    return direction;
}

D3DXVECTOR4 Light::GetExtraColor2()
{
    return extraColor2;
}

float Light::GetExtraValue()
{
    return extraValue;
}
