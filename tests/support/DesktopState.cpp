#include "DesktopState.h"

#include <gtest/gtest.h>

DesktopState::DesktopState(const wchar_t* programName)
    : name(programName), cursorCount(CursorCount()), displayMode(DisplayMode())
{
}

void DesktopState::ExpectRestored() const
{
    EXPECT_EQ(CursorCount(), cursorCount);
    const DEVMODEW mode = DisplayMode();
    EXPECT_EQ(mode.dmPelsWidth, displayMode.dmPelsWidth);
    EXPECT_EQ(mode.dmPelsHeight, displayMode.dmPelsHeight);
    EXPECT_EQ(mode.dmBitsPerPel, displayMode.dmBitsPerPel);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &wc)) << "the window class is left";
    EXPECT_EQ(FindWindowW(name.c_str(), name.c_str()), nullptr) << "the window is left";
}

int DesktopState::CursorCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

void DesktopState::DiscardQuitMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}

DEVMODEW DesktopState::DisplayMode()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}
