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
const WCHAR TextureFileName[] = L"../Engine/data/seafloor.dds";
const char ModelFileName[] = "../Engine/data/cube.txt";

const int DebugWindowWidth = 100;
const int DebugWindowHeight = 100;
const int DebugWindowX = 50;
const int DebugWindowY = 50;

// pi * 0.005 and 2 pi, rounded to float.
const float RotationStep = 0.015707964f;
const float FullTurn = 6.2831855f;

// Belongs to the scene pass, not to any renderer object: it outlives them all.
float modelRotation = 0.0f;

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

float AdvanceRotation()
{
    modelRotation += RotationStep;
    if (modelRotation > FullTurn)
        modelRotation -= FullTurn;
    return modelRotation;
}
}

float ModelRotation()
{
    return modelRotation;
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

    model = new (std::nothrow) Model;
    if (!model)
        return false;
    if (!model->Initialize(graphicsDevice->GetDevice(), TextureFileName, ModelFileName))
    {
        ReportFailure(window, L"Could not initialize the model object.");
        return false;
    }

    lightShader = new (std::nothrow) LightShader;
    if (!lightShader)
        return false;
    if (!lightShader->Initialize(graphicsDevice->GetDevice(), window))
    {
        ReportFailure(window, L"Could not initialize the light shader object.");
        return false;
    }

    light = new (std::nothrow) Light;
    if (!light)
        return false;
    light->SetDiffuseColor(1.0f, 1.0f, 1.0f, 1.0f);
    light->SetDirection(0.0f, 0.0f, 1.0f);

    return InitializeOverlay(screenWidth, screenHeight, window);
}

// The objects of the off-screen pass and the overlay. The render texture
// reports nothing of its own.
bool SceneRenderer::InitializeOverlay(int screenWidth, int screenHeight, HWND window)
{
    renderTexture = new (std::nothrow) RenderTexture;
    if (!renderTexture)
        return false;
    if (!renderTexture->Initialize(graphicsDevice->GetDevice(), screenWidth, screenHeight))
        return false;

    debugWindow = new (std::nothrow) DebugWindow;
    if (!debugWindow)
        return false;
    if (!debugWindow->Initialize(graphicsDevice->GetDevice(), screenWidth, screenHeight, DebugWindowWidth,
                                 DebugWindowHeight))
    {
        ReportFailure(window, L"Could not initialize the debug window object.");
        return false;
    }

    textureShader = new (std::nothrow) TextureShader;
    if (!textureShader)
        return false;
    if (!textureShader->Initialize(graphicsDevice->GetDevice(), window))
    {
        ReportFailure(window, L"Could not initialize the texture shader object.");
        return false;
    }
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
    if (!RenderToTexture())
        return false;

    graphicsDevice->BeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    if (!RenderScene())
        return false;

    // Depth testing stays off only for the overlay; a failure leaves it off,
    // but then no further frame is drawn.
    graphicsDevice->DisableDepthTest();
    if (!RenderOverlay())
        return false;
    graphicsDevice->EnableDepthTest();

    graphicsDevice->EndFrame();
    return true;
}

// The scene into the off-screen texture, which shares the device's depth buffer.
bool SceneRenderer::RenderToTexture()
{
    ID3D11DeviceContext* context = graphicsDevice->GetContext();
    ID3D11DepthStencilView* depthStencilView = graphicsDevice->GetDepthStencilView();
    renderTexture->SetRenderTarget(context, depthStencilView);
    renderTexture->ClearRenderTarget(context, depthStencilView, 0.0f, 0.0f, 1.0f, 1.0f);

    if (!RenderScene())
        return false;

    graphicsDevice->BindBackBuffer();
    return true;
}

// Draws the lit, spinning model into whatever target is bound.
bool SceneRenderer::RenderScene()
{
    camera->UpdateViewMatrix();

    D3DXMATRIX viewMatrix;
    D3DXMATRIX projectionMatrix;
    camera->GetViewMatrix(viewMatrix);
    graphicsDevice->GetProjectionMatrix(projectionMatrix);

    D3DXMATRIX worldMatrix;
    D3DXMatrixRotationY(&worldMatrix, AdvanceRotation());

    ID3D11DeviceContext* context = graphicsDevice->GetContext();
    model->Bind(context);
    return lightShader->Render(context, model->GetIndexCount(), worldMatrix, viewMatrix, projectionMatrix,
                               model->GetTexture(), light->GetDirection(), light->GetDiffuseColor());
}

// The off-screen picture in a small square near the top-left corner, flat on
// the screen: the world matrix, the view of the last scene pass (not rebuilt)
// and the orthographic projection.
bool SceneRenderer::RenderOverlay()
{
    D3DXMATRIX worldMatrix;
    D3DXMATRIX viewMatrix;
    D3DXMATRIX orthoMatrix;
    graphicsDevice->GetWorldMatrix(worldMatrix);
    camera->GetViewMatrix(viewMatrix);
    graphicsDevice->GetOrthoMatrix(orthoMatrix);

    ID3D11DeviceContext* context = graphicsDevice->GetContext();
    if (!debugWindow->Bind(context, DebugWindowX, DebugWindowY))
        return false;
    return textureShader->Render(context, debugWindow->GetIndexCount(), worldMatrix, viewMatrix, orthoMatrix,
                                 renderTexture->GetShaderResourceView());
}
