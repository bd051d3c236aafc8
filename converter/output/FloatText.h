#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The shortest text that reads back as the same float, as std::to_chars
// writes it, with the texts of recent floats remembered. A triangle list
// repeats each shared corner about six times, and with it its numbers, so
// most floats were formatted moments before; copying their text is several
// times faster than formatting it again, and the bytes are the same.
class FloatText
{
public:
    // The longest text, "-1.17549435e-38".
    static constexpr std::size_t MaxLength = 15;
    // What Append may write past the text's end: the room it needs.
    static constexpr std::size_t Room = 16;

    FloatText();

    // Writes the value's text at out, which has Room bytes; its end.
    char* Append(char* out, float value);

private:
    struct Entry
    {
        char text[Room];
        std::uint32_t bits;
        std::uint32_t length; // 0: empty
    };

    std::vector<Entry> entries;
};
