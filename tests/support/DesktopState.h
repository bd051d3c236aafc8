#pragma once

#include <windows.h>

#include <string>

// What a program's shut-down must give back on the desktop, taken when the object is made:
// the cursor's show count, the display mode, and no window class or window of its name
// (the program's window carries its class's name as its title).
class DesktopState
{
public:
    explicit DesktopState(const wchar_t* programName);

    void ExpectRestored() const;

    static int CursorCount();
    // Destroying a window posts a quit message nobody reads; in a test process it would end
    // the next modal loop (a message box) at once.
    static void DiscardQuitMessages();

private:
    static DEVMODEW DisplayMode();

    std::wstring name;
    int cursorCount;
    DEVMODEW displayMode;
};
