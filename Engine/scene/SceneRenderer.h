#pragma once

#include <windows.h>

class GraphicsDevice;
class Camera;
class Model;
class LightShader;
class Light;
class RenderTexture;
class DebugWindow;
class TextureShader;

// Owns every rendering object and runs the per-frame work. The objects are
// created in the order of the fields below and released in reverse order, so
// each one still finds the device alive while it lets go of its resources.
class SceneRenderer
{
public:
    SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;
    ~SceneRenderer();

    bool Initialize(int screenWidth, int screenHeight, HWND window);
    void Shutdown();
    bool Frame();
    // The scene off-screen, the scene on the back buffer, the off-screen
    // picture as an overlay on top, then present.
    bool Render();

private:
    bool InitializeOverlay(int screenWidth, int screenHeight, HWND window);
    bool RenderToTexture();
    bool RenderScene();
    bool RenderOverlay();

    GraphicsDevice* graphicsDevice;
    Camera* camera;
    Model* model;
    LightShader* lightShader;
    Light* light;
    RenderTexture* renderTexture;
    DebugWindow* debugWindow;
    TextureShader* textureShader;
};

// The model's turn about the vertical axis in radians, as the last scene pass
// drew it. One for the whole process: every scene pass advances it.
float ModelRotation();
