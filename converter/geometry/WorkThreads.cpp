#include "WorkThreads.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace
{
const unsigned MostParts = 4;
}

unsigned WorkThreads::Parts(std::size_t items, std::size_t smallest)
{
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), MostParts));
    return static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(cores, items / std::max<std::size_t>(1, smallest))));
}

void WorkThreads::Run(unsigned parts, const std::function<void(unsigned part)>& work)
{
    std::vector<std::thread> threads;
    unsigned part = 1;
    for (; part < parts; ++part)
    {
        try
        {
            threads.emplace_back(work, part);
        }
        catch (const std::system_error&)
        {
            break;
        }
    }
    work(0);
    for (; part < parts; ++part)
        work(part);
    for (std::thread& thread : threads)
        thread.join();
}

std::size_t WorkThreads::First(std::size_t items, unsigned part, unsigned parts)
{
    // items * part / parts without overflow: items is at most a few hundred million.
    return static_cast<std::size_t>(static_cast<unsigned long long>(items) * part / parts);
}
