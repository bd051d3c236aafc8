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
    bool Render();

private:
    GraphicsDevice* graphicsDevice;
    Camera* camera;
    Model* model;
    LightShader* lightShader;
    Light* light;
    RenderTexture* renderTexture;
    DebugWindow* debugWindow;
    TextureShader* textureShader;
};
