#include "RandomModelText.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace
{
const char* const Separators[] = {" ", " ", " ", "  ", "\t", "\n", "\n", "\r\n", "\r\n", "\r", " \r\n", "\v", "\f", "\n\n"};

const char* const Extremes[] = {
    "3.4028235e38", "3.40282347e+38", "3.4028236e38", "340282356779733661637539395458142568448",
    "340282356779733661637539395458142568447", "1e39", "1e308", "1e400", "1e-38", "1.17549435e-38", "1.1754942e-38",
    "1e-45", "1.4e-45", "7e-46", "7.1e-46", "7.006492321624085e-46", "1e-46", "1e-400", "0e999999",
    "1e99999999999999999999", "1e-99999999999999999999", "0.0000000000000000000000000000000000000000000001",
    "0.000000000000000000000000000000000000000000000000000000000000000001e60", "16777217", "16777219",
    "33554435", "0.1", "0.3", "2.5e-1"};

const char* const Odds[] = {
    "inf", "-inf", "INF", "infinity", "nan", "NaN", "nan(1)", "0x10", "0x1p3", "0X1.8p1", "1.5e", "1.5E-", "1e+",
    "+", "-", ".", "-.", "+.e1", "e5", "E5", "1-2", "1+2", "1.2.3", "1e5e5", "1e5.5", "--1", "+-1", "1,5", "5e-0",
    "00", "-0", "+0.0", "0.", ".e1", "1e", "1E+0x", "12a", "3:4", "7\x1a" "8", "\xa0" "1", "1\xff"};

const std::string NulInNumber("9\0" "1", 3);

const char Noise[] = "0123456789.-+eE \n\r\t:\x1a" "\0" "xin\x80\xa0\xff";
}

int RandomModelText::Pick(int n)
{
    return static_cast<int>(random_() % static_cast<std::uint32_t>(n));
}

std::string RandomModelText::File(int maxRecords)
{
    const int records = Pick(maxRecords + 1);
    std::string text = Label() + ":" + CountText(records) + Label() + ":" + AfterSecondColon();
    for (int r = 0; r < records; ++r)
    {
        for (int f = 0; f < 8; ++f)
            text += Number() + Separator();
    }
    if (Pick(4) == 0)
        text += "trailing 1 2 3" + Separator();
    return text;
}

std::string RandomModelText::PlainFile(int records)
{
    std::string text = "Vertex Count: " + std::to_string(records) + "\n\nData:\n\n";
    for (int r = 0; r < records; ++r)
    {
        for (int f = 0; f < 8; ++f)
            text += (Pick(4) == 0 ? RoundTripFloat() : ShortDecimal()) + (f == 7 ? "\r\n" : " ");
    }
    return text;
}

std::string RandomModelText::Corrupt(std::string text)
{
    const int edits = 1 + Pick(4);
    for (int e = 0; e < edits; ++e)
    {
        const std::size_t at = text.empty() ? 0 : random_() % text.size();
        const char c = Noise[Pick(static_cast<int>(sizeof(Noise) - 1))];
        switch (Pick(3))
        {
        case 0:
            if (!text.empty())
                text[at] = c;
            break;
        case 1:
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
            break;
        default:
            if (!text.empty())
                text.erase(at, 1);
            break;
        }
    }
    return text;
}

std::string RandomModelText::Number()
{
    switch (Pick(12))
    {
    case 0:
    case 1:
    case 2:
    case 3:
        return ShortDecimal();
    case 4:
    case 5:
        return RoundTripFloat();
    case 6:
        return Tie();
    case 7:
    case 8:
        return Scientific();
    case 9:
        return LongDigits();
    case 10:
        return Extreme();
    default:
        return Odd();
    }
}

std::string RandomModelText::Label()
{
    static const char characters[] = "Vertex Count Data 0123456789 \n\r\n\t-+.eE";
    std::string label;
    const int length = Pick(12);
    for (int i = 0; i < length; ++i)
        label += characters[Pick(static_cast<int>(sizeof(characters) - 1))];
    return label;
}

std::string RandomModelText::Separator()
{
    return Separators[Pick(static_cast<int>(std::size(Separators)))];
}

std::string RandomModelText::CountText(int records)
{
    switch (Pick(10))
    {
    case 0:
        return " " + std::to_string(records + Pick(3) - 1);
    case 1:
        return " +" + std::to_string(records);
    case 2:
        return "\r\n 00" + std::to_string(records);
    case 3:
        return " -" + std::to_string(Pick(3));
    case 4:
        return std::string(" ") + (Pick(2) ? "99999999999" : "x");
    default:
        return " " + std::to_string(records);
    }
}

std::string RandomModelText::AfterSecondColon()
{
    static const char* const choices[] = {"\n\n", "\n\n", "\r\n\r\n", "\n", "", " ", "\r\n", "ab", "\r\r\n"};
    return choices[Pick(static_cast<int>(std::size(choices)))];
}

std::string RandomModelText::Sign()
{
    const int pick = Pick(6);
    return pick == 0 ? "-" : pick == 1 ? "+" : "";
}

std::string RandomModelText::Digits(int count)
{
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + Pick(10));
    return digits;
}

std::string RandomModelText::ShortDecimal()
{
    std::string integer = Pick(4) == 0 ? "" : Digits(1 + Pick(3));
    std::string fraction = Digits(Pick(8));
    if (integer.empty() && fraction.empty())
        integer = "0";
    const bool point = !fraction.empty() || Pick(4) == 0;
    return Sign() + integer + (point ? "." : "") + fraction;
}

std::string RandomModelText::RoundTripFloat()
{
    // Random bits cover every binade, denormals included; NaN and infinity excluded.
    std::uint32_t bits = random_();
    if ((bits & 0x7F800000u) == 0x7F800000u)
        bits &= 0xBFFFFFFFu;
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    char text[64];
    std::snprintf(text, sizeof text, Pick(2) ? "%.9g" : "%.7g", static_cast<double>(value));
    return text;
}

// Exactly halfway between two neighbouring floats, or a hair either side:
// where a conversion that is not correctly rounded goes wrong.
std::string RandomModelText::Tie()
{
    const std::uint64_t odd = 2 * ((std::uint64_t(1) << 23) + (random_() & 0x7FFFFFu)) + 1;
    const int shift = Pick(40) - 15; // the tie is odd * 2^shift
    std::string text;
    if (shift >= 0)
    {
        text = std::to_string(odd << shift);
    }
    else
    {
        std::uint64_t scaled = odd;
        for (int i = 0; i < -shift; ++i)
            scaled *= 5;
        text = std::to_string(scaled);
        const std::size_t fractionDigits = static_cast<std::size_t>(-shift);
        if (text.size() <= fractionDigits)
            text.insert(0, fractionDigits + 1 - text.size(), '0');
        text.insert(text.size() - fractionDigits, ".");
    }
    switch (Pick(3))
    {
    case 0:
        return Sign() + text + (text.find('.') == std::string::npos ? ".000000000001" : "000000000001");
    case 1:
        return Sign() + text + (Pick(2) ? "e0" : "");
    default:
        return Sign() + text;
    }
}

std::string RandomModelText::Scientific()
{
    const char* exponentSigns[] = {"", "+", "-"};
    return ShortDecimal() + (Pick(2) ? "e" : "E") + exponentSigns[Pick(3)] + (Pick(4) == 0 ? "0" : "") +
           std::to_string(Pick(50));
}

std::string RandomModelText::LongDigits()
{
    std::string digits = Digits(20 + Pick(60));
    digits.insert(static_cast<std::size_t>(Pick(static_cast<int>(digits.size()))), ".");
    if (Pick(2))
        digits += "e-" + std::to_string(Pick(70));
    return Sign() + digits;
}

std::string RandomModelText::Extreme()
{
    return Sign() + Extremes[Pick(static_cast<int>(std::size(Extremes)))];
}

std::string RandomModelText::Odd()
{
    const int pick = Pick(static_cast<int>(std::size(Odds)) + 1);
    return pick == static_cast<int>(std::size(Odds)) ? NulInNumber : std::string(Odds[pick]);
}
