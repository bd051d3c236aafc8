#include "Application.h"

#include <new>

// The program takes no arguments, and its exit code is 0 whatever happened.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Application* application = new (std::nothrow) Application;
    if (!application)
        return 0;

    if (application->Initialize())
        application->Run();

    application->Shutdown();
    delete application;
    return 0;
}
