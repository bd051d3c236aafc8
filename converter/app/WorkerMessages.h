#pragma once

#include "ProgressLine.h"

#include <cstddef>
#include <string>

// What the worker tells the converter over its pipe, one line a message: its
// kind, then its text. The same on every system; only the pipe differs.
class WorkerMessages
{
public:
    // The lines the worker sends: progress as it goes, its result last.
    static std::string Progress(const std::string& text);
    static std::string Result(bool succeeded, const std::string& line);

    // Bytes as they arrive, in any pieces: progress goes to the line shown,
    // the result is kept.
    void Take(const char* bytes, std::size_t count, ProgressLine& progressLine);

    // Whether the worker reported a result and ended with the status that
    // goes with it (0 for success, 1 for failure).
    bool ReportedWith(long long exitStatus) const;
    bool Succeeded() const { return succeeded; }
    const std::string& Line() const { return line; }

private:
    static std::string Message(char kind, const std::string& text);

    std::string received;
    bool reported = false;
    bool succeeded = false;
    std::string line;
};
