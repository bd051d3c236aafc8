#pragma once

#include <dxgi.h>

// The refresh rate of the display mode with exactly the given size. When
// several modes have that size the one listed last wins; when none has it the
// result is 0/1, the rate a windowed or unsynchronised swap chain asks for.
DXGI_RATIONAL FindRefreshRate(const DXGI_MODE_DESC* modes, UINT modeCount, UINT width, UINT height);
