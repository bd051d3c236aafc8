// The matrix builders against the figures the programs rely on.
#include "d3dx10math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>

namespace
{
const float FieldOfView = D3DX_PI / 4.0f;

D3DXVECTOR4 Transform(const D3DXVECTOR4& v, const D3DXMATRIX& m)
{
    D3DXVECTOR4 r;
    r.x = v.x * m._11 + v.y * m._21 + v.z * m._31 + v.w * m._41;
    r.y = v.x * m._12 + v.y * m._22 + v.z * m._32 + v.w * m._42;
    r.z = v.x * m._13 + v.y * m._23 + v.z * m._33 + v.w * m._43;
    r.w = v.x * m._14 + v.y * m._24 + v.z * m._34 + v.w * m._44;
    return r;
}

TEST(MathFigures, TypesKeepTheOriginalLayout)
{
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i)
        static_cast<float*>(m)[i] = static_cast<float>(i);
    EXPECT_EQ(m._11, 0.0f);
    EXPECT_EQ(m._14, 3.0f);
    EXPECT_EQ(m._21, 4.0f);
    EXPECT_EQ(m._44, 15.0f);
    EXPECT_EQ(m.m[2][1], 9.0f);
    EXPECT_EQ(offsetof(D3DXVECTOR3, z), 8u);
    EXPECT_EQ(offsetof(D3DXCOLOR, a), 12u);
}

TEST(MathFigures, FieldOfViewAndAspectAreTheSinglePrecisionValues)
{
    uint32_t bits;
    std::memcpy(&bits, &FieldOfView, sizeof(bits));
    EXPECT_EQ(bits, 0x3F490FDBu);
    EXPECT_EQ(800.0f / 600.0f, 1.3333334f);
}

TEST(MathFigures, PerspectiveMapsNearAndFarToZeroAndOne)
{
    D3DXMATRIX projection;
    ASSERT_EQ(D3DXMatrixPerspectiveFovLH(&projection, FieldOfView, 800.0f / 600.0f, 0.1f, 1000.0f), &projection);
    EXPECT_NEAR(projection._22, 1.0 / std::tan(FieldOfView / 2.0), 1e-6);
    EXPECT_NEAR(projection._11, projection._22 / (800.0 / 600.0), 1e-6);
    EXPECT_EQ(projection._34, 1.0f);
    EXPECT_EQ(projection._44, 0.0f);
    EXPECT_EQ(projection._12, 0.0f);

    const D3DXVECTOR4 nearPoint = Transform(D3DXVECTOR4(0.0f, 0.0f, 0.1f, 1.0f), projection);
    const D3DXVECTOR4 farPoint = Transform(D3DXVECTOR4(0.0f, 0.0f, 1000.0f, 1.0f), projection);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0, 1e-6);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0, 1e-6);
}

TEST(MathFigures, OrthographicMapsTheScreenToTheViewport)
{
    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, 800.0f, 600.0f, 0.1f, 1000.0f);
    const D3DXVECTOR4 corner = Transform(D3DXVECTOR4(-400.0f, 300.0f, 0.1f, 1.0f), ortho);
    const D3DXVECTOR4 farCorner = Transform(D3DXVECTOR4(400.0f, -300.0f, 1000.0f, 1.0f), ortho);
    EXPECT_EQ(corner.x, -1.0f);
    EXPECT_EQ(corner.y, 1.0f);
    EXPECT_NEAR(corner.z, 0.0, 1e-7);
    EXPECT_EQ(corner.w, 1.0f);
    EXPECT_EQ(farCorner.x, 1.0f);
    EXPECT_EQ(farCorner.y, -1.0f);
    EXPECT_NEAR(farCorner.z, 1.0, 1e-6);
}

TEST(MathFigures, LookAtFromTheCameraPositionIsATranslationByFive)
{
    const D3DXVECTOR3 eye(0.0f, 0.0f, -5.0f);
    const D3DXVECTOR3 at(0.0f, 0.0f, -4.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMATRIX expected;
    D3DXMatrixIdentity(&expected);
    expected._43 = 5.0f;
    EXPECT_EQ(view, expected);
}

TEST(MathFigures, LookAtAlongPlusXTurnsTheWorld)
{
    const D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 at(1.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    // The looked-at point lies straight ahead, on +z.
    const D3DXVECTOR4 ahead = Transform(D3DXVECTOR4(1.0f, 0.0f, 0.0f, 1.0f), view);
    EXPECT_EQ(ahead.x, 0.0f);
    EXPECT_EQ(ahead.y, 0.0f);
    EXPECT_EQ(ahead.z, 1.0f);
}

TEST(MathFigures, RotationYTurnsXTowardsMinusZ)
{
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, D3DX_PI / 2.0f);
    const D3DXVECTOR4 turned = Transform(D3DXVECTOR4(1.0f, 0.0f, 0.0f, 1.0f), rotation);
    EXPECT_NEAR(turned.x, 0.0, 1e-7);
    EXPECT_EQ(turned.y, 0.0f);
    EXPECT_NEAR(turned.z, -1.0, 1e-7);
    EXPECT_EQ(rotation._22, 1.0f);
    EXPECT_EQ(rotation._44, 1.0f);
    EXPECT_EQ(rotation._41, 0.0f);
}

TEST(MathFigures, TransposeWorksInPlace)
{
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const D3DXMATRIX expected(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16);
    ASSERT_EQ(D3DXMatrixTranspose(&m, &m), &m);
    EXPECT_EQ(m, expected);
}

TEST(MathFigures, IdentityIsOnesOnTheDiagonal)
{
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMatrixIdentity(&m);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(m(row, col), row == col ? 1.0f : 0.0f);
}
}
