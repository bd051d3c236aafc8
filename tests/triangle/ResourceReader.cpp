#include "ResourceReader.h"

namespace
{
const uint16_t NumberMark = 0xFFFF;
}

uint8_t ResourceReader::Byte()
{
    if (at >= size)
    {
        ok = false;
        return 0;
    }
    return data[at++];
}

uint16_t ResourceReader::Word()
{
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
}

uint32_t ResourceReader::Dword()
{
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
}

std::u16string ResourceReader::Text()
{
    std::u16string text;
    for (uint16_t unit = Word(); ok && unit != 0; unit = Word())
        text.push_back(static_cast<char16_t>(unit));
    return text;
}

std::u16string ResourceReader::NameOrNumber()
{
    const uint16_t first = Word();
    if (first == NumberMark)
    {
        std::u16string number = u"#";
        for (char c : std::to_string(Word()))
            number.push_back(static_cast<char16_t>(c));
        return number;
    }
    if (first == 0)
        return std::u16string();
    return static_cast<char16_t>(first) + Text();
}

void ResourceReader::AlignToDword()
{
    while (at % 4 != 0 && ok)
        Byte();
}
