#include "SignalsHeld.h"

#include <csignal>
#include <iterator>

namespace
{
const int Signals[] = {SIGINT, SIGTERM,
#if defined(SIGHUP)
                       SIGHUP,
#endif
#if defined(SIGBREAK)
                       SIGBREAK, // Windows' Ctrl-Break
#endif
};
}

SignalsHeld::SignalsHeld()
{
#if !defined(_WIN32)
    sigset_t set;
    sigemptyset(&set);
    for (int signal : Signals)
        sigaddset(&set, signal);
    sigprocmask(SIG_BLOCK, &set, &before);
#endif
}

SignalsHeld::~SignalsHeld()
{
#if !defined(_WIN32)
    sigprocmask(SIG_SETMASK, &before, nullptr);
#endif
}

const int* SignalsHeld::Begin()
{
    return std::begin(Signals);
}

const int* SignalsHeld::End()
{
    return std::end(Signals);
}
