#pragma once

// Counts this program's heap allocations while counting is on: every form of
// the global operator new (replaced in AllocationCounter.cpp) and, through
// the program's import table, the C runtime's malloc, calloc and realloc.
// The replaced operators take their memory from malloc, so whatever operator
// new counts, malloc counts as well. Allocations that the platform's DLLs
// make for themselves pass through neither and are not counted.
class AllocationCounter
{
public:
    // False when the program imports none of the C runtime's allocators.
    static bool HookCRuntime();
    static void Start();  // from zero
    static void Stop();
    static long News();
    static long Mallocs();
};
