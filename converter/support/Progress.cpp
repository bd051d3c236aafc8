#include "Progress.h"

#include <cmath>

namespace
{
const std::chrono::milliseconds Interval(100);
}

Progress::Progress(Sink sink) : sink(std::move(sink))
{
}

void Progress::Stage(const std::string& name)
{
    if (!sink)
        return;
    stage = name;
    percent = -1;
    lastSent = std::chrono::steady_clock::now();
    sink(stage);
}

void Progress::Fraction(double done)
{
    if (!sink || !(done >= 0))
        return;
    const int now = static_cast<int>(std::floor(std::fmin(done, 1.0) * 100));
    if (now == percent)
        return;
    const auto time = std::chrono::steady_clock::now();
    if (time - lastSent < Interval)
        return;
    percent = now;
    lastSent = time;
    sink(stage + ": " + std::to_string(percent) + " %");
}
