#pragma once

#include "ScreenCapture.h"

// Where the triangle lies in a picture of the program's client area.
class TrianglePicture
{
public:
    // The class of the program's main window.
    static constexpr const wchar_t* MainClass = L"VEXELO01TRIANGLE";

    // The triangle inside the 500 x 400 viewport, in back-buffer pixels.
    static constexpr double Left = 137.5;
    static constexpr double Right = 362.5;
    static constexpr double Top = 100.0;
    static constexpr double Bottom = 300.0;

    // Bounds of every pixel that is not the dark blue (0, 51, 102) of the
    // cleared back buffer; right and bottom exclusive. Empty (right <= left)
    // when there is none.
    explicit TrianglePicture(const ScreenCapture& screen);

    int left;
    int top;
    int right;
    int bottom;
};
