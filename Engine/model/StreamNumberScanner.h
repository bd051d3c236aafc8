#pragma once
#include <cstddef>

// Reads numbers from in-memory text exactly as formatted extraction from a
// C++ input stream in the classic locale does (operator>> for int and float):
// the same characters are consumed, the same values stored, and the same
// cases make the stream fail.
class StreamNumberScanner
{
public:
    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    // Skips white space; returns the first other character's position or end.
    static const char* SkipSpace(const char* p, const char* end);

    // Extracts a decimal int after skipping white space. False where the
    // stream fails (no digits, out of int range, end of text). Advances p.
    static bool ScanInt(const char*& p, const char* end, int& value);

    // Extracts a float after skipping white space. Returns false where the
    // stream fails (end of text, no number, overflow); value then holds what
    // the stream stores: 0, or the largest finite float of the sign on
    // overflow. An underflowing number is no failure (0 or a denormal).
    static bool ScanFloat(const char*& p, const char* end, float& value);
};
