#pragma once

// Makes allocations with new (std::nothrow) fail on request, so the paths
// where memory runs out can be reached. Other allocations are not affected.
class FailingAllocations
{
public:
    // From now on the n-th nothrow allocation (1 = the next) and all after it fail.
    static void FailFrom(int n);
    // Stops failing and starts counting afresh.
    static void Reset();
    // Nothrow allocations attempted since the last FailFrom or Reset.
    static int Attempts();
};

// Arms failures for one scope and disarms them when it ends.
class ScopedFailingAllocations
{
public:
    explicit ScopedFailingAllocations(int n) { FailingAllocations::FailFrom(n); }
    ~ScopedFailingAllocations() { FailingAllocations::Reset(); }
    ScopedFailingAllocations(const ScopedFailingAllocations&) = delete;
    ScopedFailingAllocations& operator=(const ScopedFailingAllocations&) = delete;
};
