#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items) as the resource compiler laid it out. Portable: bytes in, fields out.
class DialogTemplate
{
public:
    // A name that is either a number (ordinal) or a string; neither when empty.
    struct Name
    {
        bool isOrdinal = false;
        uint16_t ordinal = 0;
        std::u16string text;
    };

    struct Item
    {
        uint32_t helpId = 0;
        uint32_t exStyle = 0;
        uint32_t style = 0;
        int16_t x = 0, y = 0, cx = 0, cy = 0;
        int32_t id = 0;
        Name windowClass;
        Name title;
        uint16_t extraBytes = 0;
    };

    // False when the bytes are not a complete extended template.
    bool Read(const uint8_t* bytes, size_t size);

    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    Name menu;
    Name windowClass;
    std::u16string title;
    bool hasFont = false;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::u16string typeface;
    std::vector<Item> items;

private:
    bool Word(uint16_t& value);
    bool Dword(uint32_t& value);
    bool Short(int16_t& value);
    bool Byte(uint8_t& value);
    bool Text(std::u16string& value);
    bool ReadName(Name& value);
    bool AlignToDword();
    bool ReadHeader(uint16_t& count);
    bool ReadItem(Item& item);

    const uint8_t* data = nullptr;
    size_t length = 0;
    size_t at = 0;
};
