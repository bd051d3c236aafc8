#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Screen checks as the user sees the screen; colours are 0x00RRGGBB.
RECT WholeScreen();
size_t ScreenPixelsNot(uint32_t colour, const RECT& area = WholeScreen());
// Polls until every pixel of the area has the colour, pumping this thread's messages.
bool ScreenBecomes(uint32_t colour, DWORD timeoutMs, const RECT& area = WholeScreen());
