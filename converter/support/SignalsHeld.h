#pragma once
#if !defined(_WIN32)
#include <signal.h>
#endif

// Holds back the signals that end the converter (Ctrl-C, a request to
// terminate, a lost terminal) while it lives, so that their handler never
// sees a file or a worker process half noted.
class SignalsHeld
{
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

    // The signals it holds, for installing and resetting their handlers.
    static const int* Begin();
    static const int* End();

private:
#if !defined(_WIN32)
    sigset_t before;
#endif
};
