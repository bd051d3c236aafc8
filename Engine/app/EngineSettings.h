#pragma once

// Build-time settings of the program; nothing is configured at run time.

#ifdef VEXELO_ENGINE_WINDOWED
constexpr bool FullScreenMode = false;
#else
constexpr bool FullScreenMode = true;
#endif

constexpr bool VerticalSync = true;
constexpr float FarPlaneDistance = 1000.0f;
constexpr float NearPlaneDistance = 0.1f;
constexpr int WindowedWidth = 800;
constexpr int WindowedHeight = 600;
