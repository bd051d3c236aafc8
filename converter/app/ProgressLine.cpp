#include "ProgressLine.h"

#include <csignal>
#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#define VEXELO_ISATTY _isatty
#define VEXELO_WRITE _write
#else
#include <unistd.h>
#define VEXELO_ISATTY isatty
#define VEXELO_WRITE write
#endif

namespace
{
// Back to the line's start, then erase to its end.
const char Erase[] = "\r\033[K";
volatile std::sig_atomic_t shown = 0;
}

ProgressLine::ProgressLine() : terminal(VEXELO_ISATTY(2) != 0)
{
}

void ProgressLine::Show(const std::string& text)
{
    if (!terminal)
        return;
    const std::string line = std::string(Erase) + "vexelo-model: " + text;
    std::fflush(stderr);
    shown = 1;
    (void)!VEXELO_WRITE(2, line.data(), static_cast<unsigned>(line.size()));
}

void ProgressLine::Clear()
{
    ClearNow();
}

void ProgressLine::ClearNow()
{
    if (shown == 0)
        return;
    (void)!VEXELO_WRITE(2, Erase, sizeof Erase - 1);
    shown = 0;
}
