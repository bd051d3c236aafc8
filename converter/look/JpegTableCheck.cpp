#include "JpegTableCheck.h"

namespace
{
const std::uint8_t Fill = 0xFF, StartOfImage = 0xD8, HuffmanTables = 0xC4, StartOfScan = 0xDA;
const int MaxCodes = 256;

// Zeros past the end, as stb reads them.
std::uint8_t At(const std::uint8_t* bytes, std::size_t size, std::size_t at)
{
    return at < size ? bytes[at] : 0;
}

std::size_t Length(const std::uint8_t* bytes, std::size_t size, std::size_t at)
{
    return std::size_t(At(bytes, size, at)) << 8 | At(bytes, size, at + 1);
}
}

// The tables of one DHT segment, at is just past its marker; stb stops
// reading at a table class or slot it does not know.
bool JpegTableCheck::SegmentFits(const std::uint8_t* bytes, std::size_t size, std::size_t at)
{
    long left = static_cast<long>(Length(bytes, size, at)) - 2;
    at += 2;
    while (left > 0 && at < size)
    {
        const std::uint8_t kind = bytes[at];
        if (kind >> 4 > 1 || (kind & 15) > 3)
            return true;
        int codes = 0;
        for (std::size_t i = 1; i <= 16; ++i)
            codes += At(bytes, size, at + i);
        if (codes > MaxCodes)
            return false;
        at += 17 + std::size_t(codes);
        left -= 17 + codes;
    }
    return true;
}

// Segment by segment up to the first scan, skipping bytes between them as
// stb does. Where stb resumes after a scan's coded data depends on decoding
// it, so from there every DHT marker is checked: in coded data 0xFF is
// always followed by 0 or a marker.
bool JpegTableCheck::TablesFit(const std::uint8_t* bytes, std::size_t size)
{
    std::size_t at = 0;
    while (at < size && bytes[at] == Fill)
        ++at;
    if (at == 0 || At(bytes, size, at) != StartOfImage)
        return true;
    for (++at; at < size;)
    {
        if (bytes[at++] != Fill)
            continue;
        while (at < size && bytes[at] == Fill)
            ++at;
        const std::uint8_t marker = At(bytes, size, at++);
        if (marker == StartOfScan)
            break;
        if (marker == HuffmanTables && !SegmentFits(bytes, size, at))
            return false;
        at += Length(bytes, size, at);
    }
    for (; at + 1 < size; ++at)
        if (bytes[at] == Fill && bytes[at + 1] == HuffmanTables && !SegmentFits(bytes, size, at + 2))
            return false;
    return true;
}
