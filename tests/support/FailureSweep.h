#pragma once

#include "MessageBoxWatcher.h"

#include <functional>
#include <string>
#include <vector>

// A set-up run once with nothing failed, which logs its creating calls, then once with each
// of those calls failed in turn. Every run holds the root objects it creates (device, swap
// chain, DirectInput), so it can tell whether shut-down let go of all it made.
class FailureSweep
{
public:
    struct Run
    {
        bool succeeded = false;
        std::string failedCall;             // empty: nothing failed
        int calls = 0;                      // creating calls made
        size_t roots = 0;                   // root objects made; each must die with shut-down
        std::vector<SeenMessageBox> boxes;  // in the order shown
    };

    // The set-up and its shut-down; returns what the set-up returned.
    explicit FailureSweep(std::function<bool()> setUpAndShutDown);

    // The clean run the sweep follows; it must succeed and release everything.
    Run Clean();
    const std::vector<std::string>& Log() const { return log; }

    // Fails each call of the clean run's log in turn. Of every run it expects that the
    // logged call failed, that set-up reported failure and that everything was released;
    // check adds what only the caller knows.
    void FailEach(const std::function<void(int k, const Run& run)>& check);

private:
    Run RunFailing(int failAt);

    std::function<bool()> setUpAndShutDown;
    std::vector<std::string> log;
};
