#pragma once

#include <windows.h>

// A borderless window of one colour over the whole screen. Tests paint it
// first and see it in a screen capture, so that what covers it afterwards
// is known to come from the code under test.
class CoverWindow
{
public:
    explicit CoverWindow(COLORREF colour);
    ~CoverWindow();
    CoverWindow(const CoverWindow&) = delete;
    CoverWindow& operator=(const CoverWindow&) = delete;

    HWND Handle() const { return window; }

private:
    HBRUSH brush = nullptr;
    HWND window = nullptr;
};
