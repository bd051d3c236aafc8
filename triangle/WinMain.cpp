// The window shell: resources, main window, About box and the real-time loop.
#include "TriangleRenderer.h"
#include "resource.h"

#include <windows.h>

ATOM RegisterMainWindowClass(HINSTANCE hInstance);
BOOL CreateMainWindow(HINSTANCE hInstance, int nCmdShow);
LRESULT CALLBACK MainWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

namespace
{
const int MaxLoadString = 100;
const int ClientWidth = 500;
const int ClientHeight = 400;
const int StartFailureExitCode = 1;

HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
WCHAR title[MaxLoadString];
WCHAR windowClass[MaxLoadString];

// Never waits: one message at most, then one frame, on every pass.
int RunLoop(HACCEL accelerators)
{
    MSG msg = {};
    for (;;)
    {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg))
            {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (msg.message == WM_QUIT)
                break;
        }
        DrawFrame();
    }
    return static_cast<int>(msg.wParam);
}

int FailStart()
{
    MessageBoxW(mainWindow, StartFailure(), L"Error", MB_OK | MB_ICONERROR);
    StopDirect3D();
    DestroyWindow(mainWindow);
    return StartFailureExitCode;
}
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int nCmdShow)
{
    LoadStringW(hInstance, IDS_APP_TITLE, title, MaxLoadString);
    LoadStringW(hInstance, IDC_TRIANGLE, windowClass, MaxLoadString);
    RegisterMainWindowClass(hInstance);
    if (!CreateMainWindow(hInstance, nCmdShow))
        return 0;

    HACCEL accelerators = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDC_TRIANGLE));
    if (!StartDirect3D(mainWindow))
        return FailStart();
    const int exitCode = RunLoop(accelerators);
    StopDirect3D();
    return exitCode;
}

ATOM RegisterMainWindowClass(HINSTANCE hInstance)
{
    WNDCLASSEXW wcex;
    wcex.cbSize = sizeof(WNDCLASSEXW);
    wcex.style = CS_HREDRAW | CS_VREDRAW;
    wcex.lpfnWndProc = MainWindowProc;
    wcex.cbClsExtra = 0;
    wcex.cbWndExtra = 0;
    wcex.hInstance = hInstance;
    wcex.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_TRIANGLE));
    wcex.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wcex.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wcex.lpszMenuName = MAKEINTRESOURCEW(IDC_TRIANGLE);
    wcex.lpszClassName = windowClass;
    wcex.hIconSm = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_SMALL));
    return RegisterClassExW(&wcex);
}

BOOL CreateMainWindow(HINSTANCE hInstance, int nCmdShow)
{
    // The menu bar is not counted, so the client area ends up shorter than 400.
    RECT wr = {0, 0, ClientWidth, ClientHeight};
    AdjustWindowRect(&wr, WS_OVERLAPPEDWINDOW, FALSE);

    instance = hInstance;
    mainWindow = CreateWindowExW(0, windowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, wr.right - wr.left,
                                 wr.bottom - wr.top, nullptr, nullptr, hInstance, nullptr);
    if (!mainWindow)
        return FALSE;
    ShowWindow(mainWindow, nCmdShow);
    UpdateWindow(mainWindow);
    return TRUE;
}

LRESULT CALLBACK MainWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDM_ABOUT:
            DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), hWnd, AboutDialogProc, 0);
            return 0;
        case IDM_EXIT:
            DestroyWindow(hWnd);
            return 0;
        default:
            return DefWindowProcW(hWnd, message, wParam, lParam);
        }
    case WM_PAINT:
    {
        // The content comes only from the renderer's presents.
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
