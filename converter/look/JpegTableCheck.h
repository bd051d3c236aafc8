#pragma once
#include <cstddef>
#include <cstdint>

// stb_image 2.27 (Debian's libstb-dev) builds a JPEG Huffman table from the
// 16 code counts of a DHT segment without checking that they add up to at
// most 256, and then writes past the table's arrays (later stb releases
// refuse such a segment). Files with such a table are refused before stb
// sees them, at any DHT stb could reach.
class JpegTableCheck
{
public:
    // True for bytes that are no JPEG, or whose Huffman tables all fit.
    static bool TablesFit(const std::uint8_t* bytes, std::size_t size);

private:
    static bool SegmentFits(const std::uint8_t* bytes, std::size_t size, std::size_t at);
};
