// Helper program the support tests start as a child process:
//   exit N              ends with exit code N
//   box CAPTION TEXT    shows a message box, ends with the button pressed
//   window CLASS TITLE  shows a window until it is closed, then ends with 3
//   env NAME            ends with the variable's value as a number, 255 if unset
//   file NAME           ends with 0 if NAME exists in the working directory, else 1
//   wait                waits until terminated
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace
{
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(3);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int ShowWindowUntilClosed(const wchar_t* className, const wchar_t* title)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
    CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr,
                    wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return static_cast<int>(msg.wParam);
}

int EnvironmentValue(const wchar_t* name)
{
    wchar_t value[32];
    const DWORD length = GetEnvironmentVariableW(name, value, 32);
    return length == 0 || length >= 32 ? 255 : static_cast<int>(std::wcstol(value, nullptr, 10));
}

int Run(int argc, wchar_t** argv)
{
    const wchar_t* mode = argc > 1 ? argv[1] : L"";
    if (argc == 3 && !std::wcscmp(mode, L"exit"))
        return static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (argc == 4 && !std::wcscmp(mode, L"box"))
        return MessageBoxW(nullptr, argv[3], argv[2], MB_OK);
    if (argc == 4 && !std::wcscmp(mode, L"window"))
        return ShowWindowUntilClosed(argv[2], argv[3]);
    if (argc == 3 && !std::wcscmp(mode, L"env"))
        return EnvironmentValue(argv[2]);
    if (argc == 3 && !std::wcscmp(mode, L"file"))
        return GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
    if (argc == 2 && !std::wcscmp(mode, L"wait"))
        Sleep(INFINITE);
    return 100;
}
}

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 101;
    const int result = Run(argc, argv);
    LocalFree(argv);
    return result;
}
