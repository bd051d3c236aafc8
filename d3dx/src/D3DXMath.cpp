#include "d3dx10math.h"

#include <cmath>
#include <cstring>

D3DXMATRIX::D3DXMATRIX(const float* p)
{
    std::memcpy(m, p, sizeof(m));
}

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14,
                       float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34,
                       float f41, float f42, float f43, float f44)
    : _11(f11), _12(f12), _13(f13), _14(f14),
      _21(f21), _22(f22), _23(f23), _24(f24),
      _31(f31), _32(f32), _33(f33), _34(f34),
      _41(f41), _42(f42), _43(f43), _44(f44)
{
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other)
{
    D3DXMatrixMultiply(this, this, &other);
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const
{
    D3DXMATRIX result;
    D3DXMatrixMultiply(&result, this, &other);
    return result;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            if (m[row][col] != other.m[row][col])
                return false;
    return true;
}

namespace
{
float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// A zero vector stays zero rather than turning into NaNs.
D3DXVECTOR3 Normalize(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(Dot(v, v));
    if (length == 0.0f)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return D3DXVECTOR3(v.x / length, v.y / length, v.z / length);
}
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut)
{
    *pOut = D3DXMATRIX(1.0f, 0.0f, 0.0f, 0.0f,
                       0.0f, 1.0f, 0.0f, 0.0f,
                       0.0f, 0.0f, 1.0f, 0.0f,
                       0.0f, 0.0f, 0.0f, 1.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2)
{
    // Works on copies so that pOut may alias either input.
    const D3DXMATRIX a = *pM1;
    const D3DXMATRIX b = *pM2;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            pOut->m[row][col] = a.m[row][0] * b.m[0][col] + a.m[row][1] * b.m[1][col] +
                                a.m[row][2] * b.m[2][col] + a.m[row][3] * b.m[3][col];
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM)
{
    const D3DXMATRIX source = *pM;  // in-place use is allowed
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            pOut->m[row][col] = source.m[col][row];
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    D3DXMatrixIdentity(pOut);
    pOut->_11 = c;
    pOut->_13 = -s;
    pOut->_31 = s;
    pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp)
{
    const D3DXVECTOR3 zAxis = Normalize(*pAt - *pEye);
    const D3DXVECTOR3 right = Cross(*pUp, zAxis);
    const D3DXVECTOR3 up = Cross(zAxis, right);
    const D3DXVECTOR3 xAxis = Normalize(right);
    const D3DXVECTOR3 yAxis = Normalize(up);

    *pOut = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0.0f,
                       xAxis.y, yAxis.y, zAxis.y, 0.0f,
                       xAxis.z, yAxis.z, zAxis.z, 0.0f,
                       -Dot(xAxis, *pEye), -Dot(yAxis, *pEye), -Dot(zAxis, *pEye), 1.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn, float zf)
{
    // Rounded once from double precision: libm tanf differs by an ulp or two
    // between runtimes.
    const float halfTan = static_cast<float>(std::tan(static_cast<double>(fovy / 2.0f)));
    D3DXMatrixIdentity(pOut);
    pOut->_11 = 1.0f / (aspect * halfTan);
    pOut->_22 = 1.0f / halfTan;
    pOut->_33 = zf / (zf - zn);
    pOut->_34 = 1.0f;
    pOut->_43 = (zf * zn) / (zn - zf);
    pOut->_44 = 0.0f;
    return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* pOut, float w, float h, float zn, float zf)
{
    D3DXMatrixIdentity(pOut);
    pOut->_11 = 2.0f / w;
    pOut->_22 = 2.0f / h;
    pOut->_33 = 1.0f / (zf - zn);
    pOut->_43 = zn / (zn - zf);
    return pOut;
}
