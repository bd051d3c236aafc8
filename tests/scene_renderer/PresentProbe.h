#pragma once

#include "TextureReadback.h"

#include <dxgi.h>

// Sees each frame at the moment it is presented, as the discarding swap chain
// keeps nothing afterwards: counts presents and, when asked, reads back the
// colour and depth targets bound at that moment. Present is swapped in the
// vtable that every swap chain of the process shares.
class PresentProbe
{
public:
    static bool Attach(IDXGISwapChain* swapChain);
    static int Presents();
    // The next present reads the bound targets back first.
    static void CaptureNextFrame();
    static bool Captured();
    static const TextureReadback& Colour();
    static const TextureReadback& Depth();
};
