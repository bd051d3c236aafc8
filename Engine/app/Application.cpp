#include "Application.h"

#include "EngineSettings.h"
#include "Input.h"
#include "SceneRenderer.h"

#include <new>

namespace
{
// The one Application, for the window procedure. Set before the window class
// exists and cleared after it is gone, so every message of the window finds it.
Application* ActiveApplication = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    // The window is destroyed by the shut-down, not here.
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    default:
        if (!ActiveApplication)
            return DefWindowProcW(window, message, wParam, lParam);
        return ActiveApplication->HandleMessage(window, message, wParam, lParam);
    }
}

void ReportError(HWND owner, const wchar_t* text)
{
    MessageBoxW(owner, text, L"Error", MB_OK);
}
}

Application::Application()
    : applicationName(nullptr), instance(nullptr), window(nullptr), input(nullptr), sceneRenderer(nullptr)
{
}

Application::~Application() = default;

bool Application::Initialize()
{
    int screenWidth = 0;
    int screenHeight = 0;
    InitializeWindow(screenWidth, screenHeight);

    input = new (std::nothrow) Input;
    if (!input)
        return false;
    if (!input->Initialize(instance, window, screenWidth, screenHeight))
    {
        ReportError(window, L"Could not initialize the input object.");
        return false;
    }

    sceneRenderer = new (std::nothrow) SceneRenderer;
    if (!sceneRenderer)
        return false;
    // The scene renderer reports its own failures.
    return sceneRenderer->Initialize(screenWidth, screenHeight, window);
}

void Application::InitializeWindow(int& screenWidth, int& screenHeight)
{
    ActiveApplication = this;

    instance = GetModuleHandleW(nullptr);
    applicationName = L"Engine";

    WNDCLASSEXW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = WindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_WINLOGO);
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = applicationName;
    wc.cbSize = sizeof(WNDCLASSEXW);
    RegisterClassExW(&wc);

    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);

    int positionX = 0;
    int positionY = 0;
    if constexpr (FullScreenMode)
    {
        DEVMODEW dmScreenSettings = {};
        dmScreenSettings.dmSize = sizeof(DEVMODEW);
        dmScreenSettings.dmPelsWidth = static_cast<DWORD>(screenWidth);
        dmScreenSettings.dmPelsHeight = static_cast<DWORD>(screenHeight);
        dmScreenSettings.dmBitsPerPel = 32;
        dmScreenSettings.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        ChangeDisplaySettingsW(&dmScreenSettings, CDS_FULLSCREEN);
    }
    else
    {
        screenWidth = WindowedWidth;
        screenHeight = WindowedHeight;
        positionX = (GetSystemMetrics(SM_CXSCREEN) - screenWidth) / 2;
        positionY = (GetSystemMetrics(SM_CYSCREEN) - screenHeight) / 2;
    }

    window = CreateWindowExW(WS_EX_APPWINDOW, applicationName, applicationName,
                             WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, positionX, positionY, screenWidth,
                             screenHeight, nullptr, nullptr, instance, nullptr);

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);

    ShowCursor(FALSE);
}

// One message and one frame per pass; the loop never waits for messages.
void Application::Run()
{
    MSG msg = {};
    bool done = false;
    while (!done)
    {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }

        // With an empty queue this still sees the last message taken.
        if (msg.message == WM_QUIT)
        {
            done = true;
        }
        else if (!Frame())
        {
            ReportError(window, L"Frame Processing Failed");
            done = true;
        }

        if (input->IsEscapePressed())
            done = true;
    }
}

bool Application::Frame()
{
    if (!input->Frame())
        return false;
    if (!sceneRenderer->Frame())
        return false;
    return sceneRenderer->Render();
}

// Input comes from DirectInput, never from window messages.
LRESULT Application::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Application::Shutdown()
{
    if (sceneRenderer)
    {
        sceneRenderer->Shutdown();
        delete sceneRenderer;
        sceneRenderer = nullptr;
    }

    if (input)
    {
        input->Shutdown();
        delete input;
        input = nullptr;
    }

    ShutdownWindow();
}

// Does nothing when the window part was never set up or is already gone, so
// that the cursor count and the display mode are restored exactly once.
void Application::ShutdownWindow()
{
    if (!instance)
        return;

    ShowCursor(TRUE);

    if constexpr (FullScreenMode)
        ChangeDisplaySettingsW(nullptr, 0);

    DestroyWindow(window);
    window = nullptr;

    UnregisterClassW(applicationName, instance);
    instance = nullptr;

    ActiveApplication = nullptr;
}
