#pragma once
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

// Runs the parts of one piece of work at once, one thread each, the caller
// taking the first, and returns when all are done. What each part does must not
// depend on how many parts there are, so that the result is the same on any
// machine, and must not throw. A part that no thread could be started for
// runs on the caller.
class WorkThreads
{
public:
    // As many parts as there are cores, at most four, with at least
    // smallest items each; at least one.
    static unsigned Parts(std::size_t items, std::size_t smallest);

    static void Run(unsigned parts, const std::function<void(unsigned part)>& work);

    // Starts work(first), work(first + 1)... on threads of their own, count
    // of them or as many as the system gives; the caller joins them.
    static std::vector<std::thread> Start(unsigned first, unsigned count,
                                          const std::function<void(unsigned part)>& work);

    // The items [first, end) of part of parts, in order: ranges that meet.
    static std::size_t First(std::size_t items, unsigned part, unsigned parts);
};
