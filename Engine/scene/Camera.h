#pragma once

#include <d3dx10math.h>

// Where the viewer stands and which way it turns about the vertical axis.
// Only the yaw reaches the view matrix: the camera always looks horizontally.
class Camera
{
public:
    Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;
    ~Camera();

    void SetPosition(float x, float y, float z);
    // Degrees. Only y (the yaw) is used.
    void SetRotation(float x, float y, float z);

    // Setting position or rotation takes effect only here.
    void UpdateViewMatrix();
    void GetViewMatrix(D3DXMATRIX& viewMatrix);

private:
    D3DXMATRIX viewMatrix;
    float positionX = 0.0f;
    float positionY = 0.0f;
    float positionZ = 0.0f;
    float rotationX = 0.0f;
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
};
