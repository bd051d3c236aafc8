#include "TestWindow.h"

namespace
{
const wchar_t ClassName[] = L"VexeloTestWindow";

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterOnce()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = ClassName;
    RegisterClassExW(&wc);
    registered = true;
}
}

TestWindow::TestWindow(int clientWidth, int clientHeight, DWORD style)
{
    RegisterOnce();
    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, style, FALSE);
    window = CreateWindowExW(0, ClassName, L"test", style, 0, 0, rect.right - rect.left,
                             rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    PumpMessages();
}

TestWindow::~TestWindow()
{
    if (window)
        DestroyWindow(window);
    PumpMessages();
}

void TestWindow::PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
