#pragma once
#include <cstddef>

// What one sequential pass over a stretch of record text produced.
struct FieldRun
{
    const char* stop = nullptr; // where extraction stopped
    std::size_t stored = 0;     // values written, a failing extraction's value included
    bool streamFailed = false;  // an extraction failed: nothing after it is read
};

// Extracts float fields one after another, as the record loop's stream
// extractions do, and stores each value in order.
class FieldRunParser
{
public:
    // Parses from p until maxFields values are stored, an extraction fails, or
    // white space runs into limit. limit is either the end of the text
    // (atEndOfText: running into it fails the stream) or a white-space
    // character where another run takes over.
    static FieldRun Parse(const char* p, const char* limit, bool atEndOfText, float* out, std::size_t maxFields);
};
