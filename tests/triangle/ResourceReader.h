#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the little-endian fields of a compiled resource one after another.
// Reading past the end yields zeros and clears Ok(). Portable: bytes in.
class ResourceReader
{
public:
    ResourceReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool Ok() const { return ok; }
    bool AtEnd() const { return at == size; }

    uint8_t Byte();
    uint16_t Word();
    uint32_t Dword();
    int16_t Short() { return static_cast<int16_t>(Word()); }
    // A zero-terminated UTF-16 string.
    std::u16string Text();
    // A name that is a number or a string: "#n" for the number, else the text.
    std::u16string NameOrNumber();
    // Items of a dialog template start on a 4-byte boundary.
    void AlignToDword();

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool ok = true;
};
