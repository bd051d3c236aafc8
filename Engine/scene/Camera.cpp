#include "Camera.h"

#include <cmath>

namespace
{
// The float nearest to pi / 180.
const float RadiansPerDegree = 0.0174532924f;
}

Camera::Camera()
{
    // Never read before the first update; identity keeps it defined.
    D3DXMatrixIdentity(&viewMatrix);
}

Camera::~Camera() = default;

void Camera::SetPosition(float x, float y, float z)
{
    positionX = x;
    positionY = y;
    positionZ = z;
}

void Camera::SetRotation(float x, float y, float z)
{
    rotationX = x;
    rotationY = y;
    rotationZ = z;
}

void Camera::UpdateViewMatrix()
{
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    const D3DXVECTOR3 position(positionX, positionY, positionZ);

    const float yawRadians = rotationY * RadiansPerDegree;
    const float sine = std::sin(yawRadians);
    const float cosine = std::cos(yawRadians);
    const D3DXVECTOR3 lookAt(sine + position.x, position.y, cosine + position.z);

    D3DXMatrixLookAtLH(&viewMatrix, &position, &lookAt, &up);
}

void Camera::GetViewMatrix(D3DXMATRIX& matrix)
{
    matrix = viewMatrix;
}
