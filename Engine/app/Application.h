#pragma once

#include <windows.h>

class Input;
class SceneRenderer;

// The top of the program: the one window, the input reader and the scene
// renderer, the main loop and the orderly shut-down.
class Application
{
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    bool Initialize();
    void Run();
    // Safe after a failed or partial Initialize, and safe twice.
    void Shutdown();

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool Frame();
    void InitializeWindow(int& screenWidth, int& screenHeight);
    void ShutdownWindow();

    const wchar_t* applicationName;
    HINSTANCE instance;
    HWND window;
    Input* input;
    SceneRenderer* sceneRenderer;
};
