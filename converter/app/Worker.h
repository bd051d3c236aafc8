#pragma once
#include "Progress.h"

#include <functional>
#include <string>

class ProgressLine;

// Runs a conversion's work in a process of its own and watches it. The work
// parses a file nobody vouches for, with an import library that can crash or
// loop for ever on a damaged one; after a crash nothing in the crashed
// process can be trusted, so it must not be the converter's own. POSIX forks
// the worker (Worker.cpp), which gives up what it never needs (Sandbox) before
// the work starts; Windows starts the converter's program again as its
// worker, inside a job object (WorkerWindows.cpp).
class Worker
{
public:
    enum class End
    {
        Reported, // the work ended and said how it went
        Crashed,  // ended by a signal (an uncaught exception aborts)
        TimedOut, // ended by the converter at the time limit
        Vanished, // could not start, or ended without a word
    };

    struct Outcome
    {
        End end = End::Vanished;
        bool succeeded = false; // Reported: as the work said
        // Reported: the work's summary or error; Crashed: the signal's name;
        // Vanished: what happened.
        std::string line;
    };

    // The work: true on success, with its one-line summary or error in line.
    using Work = std::function<bool(Progress& progress, std::string& line)>;

    // Runs work and waits at most seconds for it (0: as long as it takes).
    // Its progress goes to the progress line where that shows anything.
    static Outcome Run(const Work& work, unsigned seconds, ProgressLine& progressLine);

    // Ends and reaps the running worker, if there is one: safe in a signal
    // handler, so that Ctrl-C leaves no process behind.
    static void EndRunning();

    // First thing in main: where the worker is a program of its own, the
    // hidden argument that makes this process one is taken out of argv, and
    // Run then does the work here.
#if defined(_WIN32) && !defined(VEXELO_WORK_IN_PROCESS)
    static void TakeRole(int& argc, char** argv);
#else
    static void TakeRole(int&, char**)
    {
    }
#endif
};
