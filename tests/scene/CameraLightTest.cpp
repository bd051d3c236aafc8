#include "Camera.h"
#include "Light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
bool SameBits(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    return std::memcmp(&a, &b, sizeof(D3DXMATRIX)) == 0;
}

D3DXMATRIX ViewOf(Camera& camera)
{
    D3DXMATRIX view;
    camera.UpdateViewMatrix();
    camera.GetViewMatrix(view);
    return view;
}

D3DXMATRIX LookAt(D3DXVECTOR3 eye, D3DXVECTOR3 at)
{
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX expected;
    D3DXMatrixLookAtLH(&expected, &eye, &at, &up);
    return expected;
}
}

TEST(Camera, StandingAtMinusFiveLooksDownPositiveZ)
{
    Camera camera;
    camera.SetPosition(0.0f, 0.0f, -5.0f);
    const D3DXMATRIX view = ViewOf(camera);

    const D3DXMATRIX expected(1, 0, 0, 0,
                              0, 1, 0, 0,
                              0, 0, 1, 0,
                              0, 0, 5, 1);
    EXPECT_EQ(view, expected);  // by value: some zeros come out negative
    EXPECT_TRUE(SameBits(view, LookAt({0, 0, -5}, {0, 0, -4})));
}

TEST(Camera, OnlyTheYawTurnsTheView)
{
    Camera still;
    still.SetPosition(1.0f, 2.0f, 3.0f);
    Camera tilted;
    tilted.SetPosition(1.0f, 2.0f, 3.0f);
    tilted.SetRotation(30.0f, 0.0f, 45.0f);
    EXPECT_TRUE(SameBits(ViewOf(still), ViewOf(tilted)));
}

TEST(Camera, YawNinetyLooksAlongPositiveX)
{
    Camera camera;
    camera.SetRotation(0.0f, 90.0f, 0.0f);
    const float radians = 90.0f * 0.0174532924f;
    const D3DXMATRIX expected = LookAt({0, 0, 0}, {std::sin(radians), 0.0f, std::cos(radians)});
    const D3DXMATRIX view = ViewOf(camera);
    EXPECT_TRUE(SameBits(view, expected));
    // The z of the look-at point is the float cosine: tiny, not zero.
    EXPECT_NE(std::cos(radians), 0.0f);
    EXPECT_NEAR(view._13, 1.0f, 1e-6f);  // the view's z axis is world +x
}

TEST(Camera, YawOutsideOneTurnIsUsedUnchanged)
{
    Camera negative;
    negative.SetRotation(0.0f, -450.0f, 0.0f);
    const float radians = -450.0f * 0.0174532924f;
    EXPECT_TRUE(SameBits(ViewOf(negative), LookAt({0, 0, 0}, {std::sin(radians), 0.0f, std::cos(radians)})));
}

TEST(Camera, KeepsTheOldMatrixUntilTheNextUpdate)
{
    Camera camera;
    camera.SetPosition(0.0f, 0.0f, -5.0f);
    const D3DXMATRIX before = ViewOf(camera);

    camera.SetPosition(3.0f, 0.0f, 0.0f);
    D3DXMATRIX stale;
    camera.GetViewMatrix(stale);
    EXPECT_TRUE(SameBits(stale, before));
    EXPECT_FALSE(SameBits(ViewOf(camera), before));
}

TEST(Light, StoresValuesUnchangedAndKeepsFieldsApart)
{
    Light light;
    light.SetDiffuseColor(2.0f, -1.0f, 0.5f, 7.0f);
    light.SetDirection(0.0f, 0.0f, 0.0f);
    light.SetExtraColor1(0.1f, 0.2f, 0.3f, 0.4f);
    light.SetExtraValue(-3.5f);
    light.SetExtraColor2(9.0f, 8.0f, 7.0f, 6.0f);

    EXPECT_EQ(light.GetDiffuseColor(), D3DXVECTOR4(2.0f, -1.0f, 0.5f, 7.0f));
    EXPECT_EQ(light.GetDirection(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(light.GetExtraColor1(), D3DXVECTOR4(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(light.GetExtraValue(), -3.5f);
    EXPECT_EQ(light.GetExtraColor2(), D3DXVECTOR4(9.0f, 8.0f, 7.0f, 6.0f));

    light.SetDirection(3.0f, 4.0f, 12.0f);  // not normalised
    EXPECT_EQ(light.GetDirection(), D3DXVECTOR3(3.0f, 4.0f, 12.0f));
    EXPECT_EQ(light.GetDiffuseColor(), D3DXVECTOR4(2.0f, -1.0f, 0.5f, 7.0f));
}
