#include "SceneRenderer.h"

#include "Camera.h"
#include "DebugWindow.h"
#include "EngineSettings.h"
#include "GraphicsDevice.h"
#include "Light.h"
#include "LightShader.h"
#include "Model.h"
#include "RenderTexture.h"
#include "TextureShader.h"

#include <new>

namespace
{
template <typename T>
void ShutdownAndDelete(T*& object)
{
    if (object)
    {
        object->Shutdown();
        delete object;
        object = nullptr;
    }
}

// For the value holders that own no resources.
template <typename T>
void Delete(T*& object)
{
    delete object;
    object = nullptr;
}

void ReportFailure(HWND window, const wchar_t* text)
{
    MessageBoxW(window, text, L"Error", MB_OK);
}
}

SceneRenderer::SceneRenderer()
    : graphicsDevice(nullptr), camera(nullptr), model(nullptr), lightShader(nullptr), light(nullptr),
      renderTexture(nullptr), debugWindow(nullptr), textureShader(nullptr)
{
}

SceneRenderer::~SceneRenderer() = default;

// A failed allocation ends set-up without a message; a failed set-up call
// names its object. Whatever was created stays for Shutdown.
bool SceneRenderer::Initialize(int screenWidth, int screenHeight, HWND window)
{
    graphicsDevice = new (std::nothrow) GraphicsDevice;
    if (!graphicsDevice)
        return false;
    if (!graphicsDevice->Initialize(screenWidth, screenHeight, VerticalSync, window, FullScreenMode, FarPlaneDistance,
                                    NearPlaneDistance))
    {
        ReportFailure(window, L"Could not initialize Direct3D.");
        return false;
    }

    camera = new (std::nothrow) Camera;
    if (!camera)
        return false;

    return true;
}

// Reverse order of creation; the device goes last so that every other object
// still has it while it releases its own resources.
void SceneRenderer::Shutdown()
{
    ShutdownAndDelete(textureShader);
    ShutdownAndDelete(debugWindow);
    ShutdownAndDelete(renderTexture);
    Delete(light);
    ShutdownAndDelete(lightShader);
    ShutdownAndDelete(model);
    Delete(camera);
    ShutdownAndDelete(graphicsDevice);
}

// The camera stands at its fixed place, set anew every frame.
bool SceneRenderer::Frame()
{
    camera->SetPosition(0.0f, 0.0f, -5.0f);
    return true;
}

bool SceneRenderer::Render()
{
    graphicsDevice->BeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    graphicsDevice->EndFrame();
    return true;
}
