#include "CoverWindow.h"

#include "TestWindow.h"

namespace
{
const wchar_t ClassName[] = L"VexeloCoverWindow";
}

CoverWindow::CoverWindow(COLORREF colour) : brush(CreateSolidBrush(colour))
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = brush;
    wc.lpszClassName = ClassName;
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, ClassName, L"cover", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    TestWindow::PumpMessages();
}

CoverWindow::~CoverWindow()
{
    DestroyWindow(window);
    UnregisterClassW(ClassName, GetModuleHandleW(nullptr));
    DeleteObject(brush);
    TestWindow::PumpMessages();
}
