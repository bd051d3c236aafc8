#pragma once
#include <chrono>
#include <functional>
#include <string>

// What a conversion is doing, for the line a terminal shows while it runs:
// the stage ("importing", "writing"), and how far into it where that is
// known. A new stage is passed on at once, percentages a few times a second
// at most, so that reporting costs nothing next to the work.
class Progress
{
public:
    using Sink = std::function<void(const std::string& text)>;

    // Without a sink nothing is reported.
    explicit Progress(Sink sink = nullptr);

    bool Wanted() const { return static_cast<bool>(sink); }
    void Stage(const std::string& name);
    // done from 0 to 1 of the current stage.
    void Fraction(double done);

private:
    Sink sink;
    std::string stage;
    int percent = -1;
    std::chrono::steady_clock::time_point lastSent;
};
