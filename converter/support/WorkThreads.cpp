#include "WorkThreads.h"

#include <algorithm>
#include <system_error>

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
    std::vector<std::thread> threads = Start(1, parts > 0 ? parts - 1 : 0, work);
    work(0);
    for (unsigned part = 1 + static_cast<unsigned>(threads.size()); part < parts; ++part)
        work(part);
    for (std::thread& thread : threads)
        thread.join();
}

std::vector<std::thread> WorkThreads::Start(unsigned first, unsigned count,
                                            const std::function<void(unsigned part)>& work)
{
    std::vector<std::thread> threads;
    for (unsigned part = first; part < first + count; ++part)
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
    return threads;
}

std::size_t WorkThreads::First(std::size_t items, unsigned part, unsigned parts)
{
    // items * part / parts without overflow: items is at most a few hundred million.
    return static_cast<std::size_t>(static_cast<unsigned long long>(items) * part / parts);
}
