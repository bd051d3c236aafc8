#pragma once

#include <windows.h>

// A plain visible top-level window for tests that need an HWND (swap chains,
// DirectInput cooperative levels, message-box owners).
class TestWindow
{
public:
    explicit TestWindow(int clientWidth = 800, int clientHeight = 600, DWORD style = WS_OVERLAPPEDWINDOW);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return window; }

    // Handles every message that is waiting, without blocking.
    static void PumpMessages();

private:
    HWND window;
};
