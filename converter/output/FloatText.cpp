#include "FloatText.h"

#include <charconv>
#include <cstring>

namespace
{
// 16384 entries, 384 KB: the floats of the last few thousand vertices, which
// span the two rows of triangles a scan's corner is shared between.
const int IndexBits = 14;
}

static_assert(FloatText::Room > FloatText::MaxLength, "room for the longest text and no more than a copy's");

FloatText::FloatText() : entries(std::size_t(1) << IndexBits, Entry{{}, 0, 0})
{
}

char* FloatText::Append(char* out, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Entry& entry = entries[(bits * 0x9E3779B1u) >> (32 - IndexBits)];
    if (entry.length == 0 || entry.bits != bits)
    {
        char* const end = std::to_chars(out, out + Room, value).ptr;
        entry.length = static_cast<std::uint32_t>(end - out);
        entry.bits = bits;
        std::memcpy(entry.text, out, entry.length);
        return end;
    }
    std::memcpy(out, entry.text, Room);
    return out + entry.length;
}
