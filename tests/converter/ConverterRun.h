#pragma once
#include <string>
#include <vector>

// One run of the vexelo-model program with a time limit, its output captured.
class ConverterRun
{
public:
    int exitCode = -1; // -1 when it did not end by itself
    int signal = 0;    // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;
    std::string err;

    // scratch holds the captured output while the program runs.
    static ConverterRun Start(const std::vector<std::string>& arguments, const std::string& scratch,
                              int timeLimitSeconds = 20);

    // The "N triangles" of the summary line; -1 without one.
    long long Triangles() const;
    std::string Describe() const;
};
