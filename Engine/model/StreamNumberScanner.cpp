#include "StreamNumberScanner.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace
{
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Up to this many significant digits are kept exactly in 64 bits.
const int MantissaDigits = 19;

// Integers up to 2^24 and the powers of ten up to 10^10 are exact floats, so one
// multiplication or division of them is correctly rounded, as the C library's
// conversion is.
const std::uint64_t ExactFloatInteger = std::uint64_t(1) << 24;
const int ExactPowerOfTen = 10;
const float PowersOfTen[ExactPowerOfTen + 1] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Exponent digits beyond this cannot change the outcome of any text that fits in memory.
const std::int64_t ExponentCap = 100000000000000000;

// A number's digits as mantissa * 10^exponent (the mantissa holds the first
// significant digits; truncated is set when a dropped digit was not zero).
struct Decimal
{
    std::uint64_t mantissa = 0;
    int digits = 0;
    bool truncated = false;
    std::int64_t exponent = 0;
};

bool FitsExactly(Decimal& number)
{
    if (number.truncated)
        return false;
    while (number.mantissa > ExactFloatInteger && number.mantissa % 10 == 0)
    {
        number.mantissa /= 10;
        --number.digits;
        ++number.exponent;
    }
    return number.mantissa <= ExactFloatInteger && number.exponent >= -ExactPowerOfTen &&
           number.exponent <= ExactPowerOfTen;
}

float ExactValue(const Decimal& number)
{
    const float mantissa = static_cast<float>(number.mantissa);
    if (number.exponent < 0)
        return mantissa / PowersOfTen[-number.exponent];
    return mantissa * PowersOfTen[number.exponent];
}

// The general case: the correctly rounded conversion, with the stream's rule for
// results out of range (overflow stores the largest float and fails; underflow is 0).
bool ConvertedValue(const char* first, const char* last, bool negative, const Decimal& number, float& value)
{
    if (*first == '+')
        ++first;
    float parsed = 0.0f;
    const std::from_chars_result result = std::from_chars(first, last, parsed);
    if (result.ptr != last)
    {
        value = 0.0f;
        return false;
    }
    if (result.ec == std::errc())
    {
        value = parsed;
        return true;
    }
    const std::int64_t decimalOrder = number.exponent + number.digits - 1;
    if (decimalOrder >= 0)
    {
        value = negative ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
        return false;
    }
    value = negative ? -0.0f : 0.0f;
    return true;
}
}

const char* StreamNumberScanner::SkipSpace(const char* p, const char* end)
{
    while (p != end && IsSpace(*p))
        ++p;
    return p;
}

bool StreamNumberScanner::ScanInt(const char*& p, const char* end, int& value)
{
    p = SkipSpace(p, end);
    if (p == end)
        return false;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const std::uint64_t limit = negative ? std::uint64_t(2147483648u) : std::uint64_t(2147483647u);
    std::uint64_t magnitude = 0;
    bool anyDigit = false;
    bool overflow = false;
    for (; p != end && IsDigit(*p); ++p)
    {
        anyDigit = true;
        if (!overflow)
        {
            magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
            overflow = magnitude > limit;
        }
    }
    if (!anyDigit || overflow)
        return false;
    value = static_cast<int>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
    return true;
}

bool StreamNumberScanner::ScanFloat(const char*& p, const char* end, float& value)
{
    // The stream collects: an optional sign, digits with at most one '.', and,
    // once a digit was seen, 'e' or 'E' with an optional sign and digits.
    const char* const first = p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;

    Decimal number;
    bool anyDigit = false;
    bool afterPoint = false;
    for (; p != end; ++p)
    {
        const char c = *p;
        if (IsDigit(c))
        {
            anyDigit = true;
            if (number.digits < MantissaDigits)
            {
                if (number.mantissa != 0 || c != '0')
                {
                    number.mantissa = number.mantissa * 10 + static_cast<unsigned>(c - '0');
                    ++number.digits;
                }
                if (afterPoint)
                    --number.exponent;
            }
            else
            {
                number.truncated |= c != '0';
                if (!afterPoint)
                    ++number.exponent;
            }
        }
        else if (c == '.' && !afterPoint)
        {
            afterPoint = true;
        }
        else
        {
            break;
        }
    }
    if (!anyDigit)
    {
        value = 0.0f;
        return false;
    }

    if (p != end && (*p == 'e' || *p == 'E'))
    {
        ++p;
        const bool negativeExponent = p != end && *p == '-';
        if (p != end && (*p == '-' || *p == '+'))
            ++p;
        if (p == end || !IsDigit(*p))
        {
            value = 0.0f; // "1.5e" and "1e+" are collected whole and then rejected
            return false;
        }
        std::int64_t exponent = 0;
        for (; p != end && IsDigit(*p); ++p)
        {
            if (exponent < ExponentCap)
                exponent = exponent * 10 + (*p - '0');
        }
        number.exponent += negativeExponent ? -exponent : exponent;
    }

    if (number.mantissa == 0)
    {
        value = negative ? -0.0f : 0.0f;
        return true;
    }
    if (FitsExactly(number))
    {
        const float magnitude = ExactValue(number);
        value = negative ? -magnitude : magnitude;
        return true;
    }
    return ConvertedValue(first, p, negative, number, value);
}
