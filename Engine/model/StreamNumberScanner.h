#pragma once
#include <cstddef>

// Reads numbers from in-memory text exactly as formatted extraction from a
// C++ input stream in the classic locale does (operator>> for int and float):
// the same characters are consumed, the same values stored, and the same
// cases make the stream fail.
class StreamNumberScanner
{
public:
    // Extracts a decimal int after skipping white space. False where the
    // stream fails (no digits, out of int range, end of text). Advances p.
    static bool ScanInt(const char*& p, const char* end, int& value);

    // Extracts floats one after another into values[0, count), each after
    // skipping white space, until one fails; returns how many succeeded. An
    // extraction fails at the end of the text, where no number starts and on
    // overflow; the failing one stores what the stream stores there: 0, or the
    // largest finite float of the sign on overflow. An underflowing number is
    // no failure (0 or a denormal).
    static std::size_t ScanFloats(const char* p, const char* end, float* values, std::size_t count);
};
