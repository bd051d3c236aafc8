#pragma once
#include "Image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// SGI images (.rgb, .rgba, .bw, .sgi, .int, .inta), which OpenSceneGraph's
// simulators and older modelling tools write: a 512-byte big-endian header,
// then each channel's rows from the bottom, stored as they are or run-length
// encoded behind a table of each row's offset and length. 1 to 4 channels
// (grey, grey and alpha, RGB, RGBA) of 8 or 16 bits. The bytes are untrusted:
// every row is proven to lie inside the file before it is read, and the size
// is checked against ImageDecoder's caps before anything is allocated.
class SgiImage
{
public:
    // By content: the format's magic number, 474, in its first two bytes.
    static bool Recognises(const std::uint8_t* bytes, std::size_t size);

    // False, with the cause in why, for a damaged file or one of a kind the
    // converter does not read.
    static bool ReadSize(const std::uint8_t* bytes, std::size_t size, int& width, int& height, std::string& why);
    static bool Decode(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& why);

private:
    struct Header
    {
        bool runLength = false;
        int channelBytes = 1;
        int width = 0;
        int height = 0;
        int channels = 0;
    };

    static bool ReadHeader(const std::uint8_t* bytes, std::size_t size, Header& header, std::string& why);
    static bool RowsInside(const std::uint8_t* bytes, std::size_t size, const Header& header, std::string& why);
    static bool ReadRow(const std::uint8_t* bytes, const Header& header, int channel, int row,
                        std::vector<std::uint8_t>& values, std::string& why);
    static bool Unpack(const std::uint8_t* from, std::size_t length, int channelBytes,
                       std::vector<std::uint8_t>& values);
    static void Store(const std::vector<std::uint8_t>& values, const Header& header, int channel, int row,
                      Image& image);
};
