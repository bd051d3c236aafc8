#include "DialogTemplate.h"

namespace
{
const uint16_t ExtendedVersion = 1;
const uint16_t ExtendedSignature = 0xFFFF;
const uint16_t OrdinalMark = 0xFFFF;
const uint32_t SetFontStyle = 0x40;  // DS_SETFONT; DS_SHELLFONT includes it
}

bool DialogTemplate::Read(const uint8_t* bytes, size_t size)
{
    data = bytes;
    length = size;
    at = 0;
    items.clear();
    uint16_t count = 0;
    if (!ReadHeader(count))
        return false;
    for (uint16_t i = 0; i < count; ++i)
    {
        Item item;
        if (!AlignToDword() || !ReadItem(item))
            return false;
        items.push_back(item);
    }
    return true;
}

bool DialogTemplate::ReadHeader(uint16_t& count)
{
    uint16_t version = 0, signature = 0;
    if (!Word(version) || !Word(signature) || version != ExtendedVersion || signature != ExtendedSignature)
        return false;
    if (!Dword(helpId) || !Dword(exStyle) || !Dword(style) || !Word(count))
        return false;
    if (!Short(x) || !Short(y) || !Short(cx) || !Short(cy))
        return false;
    if (!ReadName(menu) || !ReadName(windowClass) || !Text(title))
        return false;
    hasFont = (style & SetFontStyle) != 0;
    if (!hasFont)
        return true;
    return Word(pointSize) && Word(weight) && Byte(italic) && Byte(charset) && Text(typeface);
}

bool DialogTemplate::ReadItem(Item& item)
{
    uint32_t id = 0;
    if (!Dword(item.helpId) || !Dword(item.exStyle) || !Dword(item.style))
        return false;
    if (!Short(item.x) || !Short(item.y) || !Short(item.cx) || !Short(item.cy) || !Dword(id))
        return false;
    item.id = static_cast<int32_t>(id);
    if (!ReadName(item.windowClass) || !ReadName(item.title) || !Word(item.extraBytes))
        return false;
    if (length - at < item.extraBytes)
        return false;
    at += item.extraBytes;
    return true;
}

bool DialogTemplate::Word(uint16_t& value)
{
    if (length - at < 2)
        return false;
    value = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
    at += 2;
    return true;
}

bool DialogTemplate::Dword(uint32_t& value)
{
    uint16_t low = 0, high = 0;
    if (!Word(low) || !Word(high))
        return false;
    value = low | (static_cast<uint32_t>(high) << 16);
    return true;
}

bool DialogTemplate::Short(int16_t& value)
{
    uint16_t word = 0;
    if (!Word(word))
        return false;
    value = static_cast<int16_t>(word);
    return true;
}

bool DialogTemplate::Byte(uint8_t& value)
{
    if (length - at < 1)
        return false;
    value = data[at++];
    return true;
}

bool DialogTemplate::Text(std::u16string& value)
{
    value.clear();
    for (;;)
    {
        uint16_t unit = 0;
        if (!Word(unit))
            return false;
        if (unit == 0)
            return true;
        value.push_back(static_cast<char16_t>(unit));
    }
}

bool DialogTemplate::ReadName(Name& value)
{
    value = Name();
    uint16_t first = 0;
    if (!Word(first))
        return false;
    if (first == OrdinalMark)
    {
        value.isOrdinal = true;
        return Word(value.ordinal);
    }
    if (first == 0)
        return true;
    value.text.push_back(static_cast<char16_t>(first));
    std::u16string rest;
    if (!Text(rest))
        return false;
    value.text += rest;
    return true;
}

bool DialogTemplate::AlignToDword()
{
    const size_t aligned = (at + 3) & ~static_cast<size_t>(3);
    if (aligned > length)
        return false;
    at = aligned;
    return true;
}
