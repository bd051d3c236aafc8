#include "StreamNumberScanner.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace
{
// ' ' and '\t' to '\r', as bits of their codes.
const std::uint64_t SpaceCodes = (std::uint64_t(1) << ' ') | 0x3E00;

bool IsSpace(char c)
{
    const unsigned code = static_cast<unsigned char>(c);
    return code <= ' ' && ((SpaceCodes >> code) & 1) != 0;
}

// Skips white space; returns the first other character's position or end.
const char* SkipSpace(const char* p, const char* end)
{
    while (p != end && IsSpace(*p))
        ++p;
    return p;
}

// A character's digit value, or above 9 for anything else.
unsigned DigitValue(char c)
{
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
}

bool IsDigit(char c)
{
    return DigitValue(c) <= 9;
}

// Up to this many digits fit exactly in 64 bits.
const std::size_t MantissaDigits = 19;

// Integers up to 2^24 and the powers of ten up to 10^10 are exact floats, so one
// multiplication or division of them is correctly rounded, as the C library's
// conversion is.
const std::uint64_t ExactFloatInteger = std::uint64_t(1) << 24;
const std::int64_t ExactPowerOfTen = 10;
const float PowersOfTen[ExactPowerOfTen + 1] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Exponent digits beyond this cannot change the outcome of any text that fits in memory.
const std::int64_t ExponentCap = 100000000000000000;

// The pieces of one number as the stream collected them.
struct NumberText
{
    const char* first = nullptr;        // the sign, if any
    const char* integer = nullptr;      // digits before the point
    std::size_t integerDigits = 0;
    const char* fraction = nullptr;     // digits after the point
    std::size_t fractionDigits = 0;
    std::uint64_t mantissa = 0;         // all the digits, modulo 2^64
    std::int64_t exponent = 0;          // the written exponent
    bool negative = false;
};

// Short numbers whose digits and power of ten are exact floats: one correctly
// rounded operation gives the answer.
bool ExactValue(const NumberText& number, float& value)
{
    if (number.integerDigits + number.fractionDigits > MantissaDigits)
        return false;
    std::uint64_t mantissa = number.mantissa;
    std::int64_t exponent = number.exponent - static_cast<std::int64_t>(number.fractionDigits);
    if (mantissa == 0)
    {
        value = number.negative ? -0.0f : 0.0f;
        return true;
    }
    while (mantissa > ExactFloatInteger && mantissa % 10 == 0)
    {
        mantissa /= 10;
        ++exponent;
    }
    if (mantissa > ExactFloatInteger || exponent < -ExactPowerOfTen || exponent > ExactPowerOfTen)
        return false;
    const float magnitude = exponent < 0 ? static_cast<float>(mantissa) / PowersOfTen[-exponent]
                                         : static_cast<float>(mantissa) * PowersOfTen[exponent];
    value = number.negative ? -magnitude : magnitude;
    return true;
}

// The power of ten of the number's first significant digit (only asked for
// numbers that are not zero).
std::int64_t DecimalOrder(const NumberText& number)
{
    for (std::size_t i = 0; i < number.integerDigits; ++i)
    {
        if (number.integer[i] != '0')
            return static_cast<std::int64_t>(number.integerDigits - i) - 1 + number.exponent;
    }
    for (std::size_t i = 0; i < number.fractionDigits; ++i)
    {
        if (number.fraction[i] != '0')
            return -static_cast<std::int64_t>(i) - 1 + number.exponent;
    }
    return 0;
}

// The general case: the correctly rounded conversion, with the stream's rule for
// results out of range (overflow stores the largest float and fails; underflow is 0).
bool ConvertedValue(const NumberText& number, const char* last, float& value)
{
    const char* first = *number.first == '+' ? number.first + 1 : number.first;
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
    if (DecimalOrder(number) >= 0)
    {
        value = number.negative ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
        return false;
    }
    value = number.negative ? -0.0f : 0.0f;
    return true;
}

// Skips digits, appending them to value.
const char* ScanDigits(const char* p, const char* end, std::uint64_t& value)
{
    for (unsigned digit = 0; p != end && (digit = DigitValue(*p)) <= 9; ++p)
        value = value * 10 + digit;
    return p;
}

// After 'e': an optional sign and at least one digit, else the number fails.
bool ScanExponent(const char*& p, const char* end, std::int64_t& exponent)
{
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    if (p == end || !IsDigit(*p))
        return false;
    std::int64_t magnitude = 0;
    for (; p != end && IsDigit(*p); ++p)
    {
        if (magnitude < ExponentCap)
            magnitude = magnitude * 10 + (*p - '0');
    }
    exponent = negative ? -magnitude : magnitude;
    return true;
}

// Most numbers are short decimals: a sign, one to seven digits with at most
// one '.' among them, and no exponent. Their digits are an exact float, so one
// division by an exact power of ten gives the correctly rounded value.
const std::size_t ShortDecimalDigits = 7;

// Appends digits up to the first other character, which the caller knows is there.
const char* AppendDigits(const char* p, std::uint32_t& value)
{
    for (unsigned digit = 0; (digit = DigitValue(*p)) <= 9; ++p)
        value = value * 10 + digit;
    return p;
}

// Reads a short decimal without checking for the end of the text: only for
// numbers with white space after them, which stops every scan here. False,
// with p unmoved, for any other number.
bool ShortDecimal(const char*& p, float& value)
{
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+')
        ++q;
    std::uint32_t digits = 0;
    const char* const integer = q;
    q = AppendDigits(q, digits);
    std::size_t digitCount = static_cast<std::size_t>(q - integer);
    std::size_t fractionDigits = 0;
    if (*q == '.')
    {
        const char* const fraction = ++q;
        q = AppendDigits(q, digits);
        fractionDigits = static_cast<std::size_t>(q - fraction);
        digitCount += fractionDigits;
    }
    if (digitCount == 0 || digitCount > ShortDecimalDigits || *q == 'e' || *q == 'E')
        return false;
    const float magnitude = static_cast<float>(static_cast<std::int32_t>(digits)) / PowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

// Extracts one float of any form starting at p (white space skipped, p < end).
bool ScanFloat(const char*& p, const char* end, float& value)
{
    // The stream collects: an optional sign, digits with at most one '.', and,
    // once a digit was seen, 'e' or 'E' with an optional sign and digits.
    NumberText number;
    number.first = p;
    number.negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    number.integer = p;
    p = ScanDigits(p, end, number.mantissa);
    number.integerDigits = static_cast<std::size_t>(p - number.integer);
    if (p != end && *p == '.')
    {
        number.fraction = ++p;
        p = ScanDigits(p, end, number.mantissa);
        number.fractionDigits = static_cast<std::size_t>(p - number.fraction);
    }
    if (number.integerDigits + number.fractionDigits == 0)
    {
        value = 0.0f;
        return false;
    }
    if (p != end && (*p == 'e' || *p == 'E'))
    {
        ++p;
        if (!ScanExponent(p, end, number.exponent))
        {
            value = 0.0f; // "1.5e" and "1e+" are collected whole and then rejected
            return false;
        }
    }
    if (ExactValue(number, value))
        return true;
    return ConvertedValue(number, p, value);
}
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

std::size_t StreamNumberScanner::ScanFloats(const char* p, const char* end, float* values, std::size_t count)
{
    // No number holds white space: one that starts before the text's last
    // white space ends before the text does, and may be a short decimal.
    const char* afterLastSpace = end;
    while (afterLastSpace != p && !IsSpace(afterLastSpace[-1]))
        --afterLastSpace;
    for (std::size_t scanned = 0; scanned < count; ++scanned)
    {
        p = SkipSpace(p, end);
        if (p == end)
        {
            values[scanned] = 0.0f;
            return scanned;
        }
        if (p < afterLastSpace && ShortDecimal(p, values[scanned]))
            continue;
        if (!ScanFloat(p, end, values[scanned]))
            return scanned;
    }
    return count;
}
