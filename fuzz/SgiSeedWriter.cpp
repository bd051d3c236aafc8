// Writes the SGI fuzzer's seed corpus into the folder named on the command
// line: small images of 1 to 4 channels, 8 and 16 bits, stored as they are
// and run-length encoded (runs and literals both), and damaged ones the
// reader must refuse: cut short, a row table pointing past the end, a size
// of 0, 7 channels, a row that overruns the width.
#include "SeedFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

struct Shape
{
    int width;
    int height;
    int channels;
    int channelBytes;
    bool runLength;
};

void Put16(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    Put16(bytes, at, value >> 16);
    Put16(bytes, at + 2, value & 0xFFFF);
}

void Append(Bytes& bytes, std::uint32_t value, int channelBytes)
{
    if (channelBytes == 2)
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

// A gradient in steps of three texels, so that rows hold runs and literals.
std::uint32_t Value(const Shape& shape, int x, int y, int channel)
{
    const std::uint32_t value = static_cast<std::uint32_t>((x / 3) * 40 + y * 7 + channel * 60 + (x % 5 == 4 ? x : 0)) & 0xFF;
    return shape.channelBytes == 2 ? value * 257 + static_cast<std::uint32_t>(x) : value;
}

// Runs of three or more equal values as one packet, the rest as literals.
void Encode(const std::vector<std::uint32_t>& row, int channelBytes, Bytes& out)
{
    std::size_t x = 0;
    while (x < row.size())
    {
        std::size_t run = 1;
        while (x + run < row.size() && run < 127 && row[x + run] == row[x])
            ++run;
        if (run >= 3)
        {
            Append(out, static_cast<std::uint32_t>(run), channelBytes);
            Append(out, row[x], channelBytes);
            x += run;
            continue;
        }
        std::size_t literal = 0;
        while (x + literal < row.size() && literal < 127 &&
               !(x + literal + 2 < row.size() && row[x + literal] == row[x + literal + 1] &&
                 row[x + literal] == row[x + literal + 2]))
            ++literal;
        Append(out, static_cast<std::uint32_t>(0x80 | literal), channelBytes);
        for (std::size_t k = 0; k < literal; ++k)
            Append(out, row[x + k], channelBytes);
        x += literal;
    }
    Append(out, 0, channelBytes);
}

Bytes Write(const Shape& shape)
{
    Bytes bytes(512, 0);
    Put16(bytes, 0, 474);
    bytes[2] = shape.runLength ? 1 : 0;
    bytes[3] = static_cast<std::uint8_t>(shape.channelBytes);
    Put16(bytes, 4, shape.channels == 1 ? 2 : 3);
    Put16(bytes, 6, static_cast<std::uint32_t>(shape.width));
    Put16(bytes, 8, static_cast<std::uint32_t>(shape.height));
    Put16(bytes, 10, static_cast<std::uint32_t>(shape.channels));
    Put32(bytes, 16, shape.channelBytes == 2 ? 65535 : 255);
    const std::size_t rows = std::size_t(shape.height) * shape.channels;
    if (shape.runLength)
        bytes.resize(512 + 8 * rows);
    for (int channel = 0; channel < shape.channels; ++channel)
        for (int y = 0; y < shape.height; ++y)
        {
            std::vector<std::uint32_t> row;
            for (int x = 0; x < shape.width; ++x)
                row.push_back(Value(shape, x, y, channel));
            const std::size_t start = bytes.size();
            if (!shape.runLength)
            {
                for (std::uint32_t value : row)
                    Append(bytes, value, shape.channelBytes);
                continue;
            }
            Encode(row, shape.channelBytes, bytes);
            const std::size_t entry = 512 + 4 * (std::size_t(channel) * shape.height + y);
            Put32(bytes, entry, static_cast<std::uint32_t>(start));
            Put32(bytes, entry + 4 * rows, static_cast<std::uint32_t>(bytes.size() - start));
        }
    return bytes;
}

std::string Name(const Shape& shape)
{
    return std::to_string(shape.width) + "x" + std::to_string(shape.height) + "_" + std::to_string(shape.channels) +
           "_" + std::to_string(8 * shape.channelBytes) + (shape.runLength ? "_rle" : "") + ".sgi";
}

bool Save(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    return SaveSeed(folder + "/" + name, bytes);
}

bool SaveDamaged(const std::string& folder)
{
    const Shape small = {17, 9, 3, 1, true};
    Bytes cut = Write({17, 9, 3, 1, false});
    cut.resize(cut.size() - 1);
    Bytes pastEnd = Write(small);
    Put32(pastEnd, 512 + 4 * (9 * 3 - 1), static_cast<std::uint32_t>(pastEnd.size()));
    Bytes empty = Write(small);
    Put16(empty, 6, 0);
    Bytes sevenChannels = Write(small);
    Put16(sevenChannels, 10, 7);
    Bytes overrun = Write({4, 2, 1, 1, true});
    Put16(overrun, 6, 3);
    bool written = Save(folder, "no_cut_short.sgi", cut);
    written = Save(folder, "no_rle_row_past_end.sgi", pastEnd) && written;
    written = Save(folder, "no_width_0.sgi", empty) && written;
    written = Save(folder, "no_7_channels.sgi", sevenChannels) && written;
    return Save(folder, "no_rle_row_overruns.sgi", overrun) && written;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: sgi_seed_writer <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool written = true;
    for (const int side : {1, 3, 17})
        for (int channels = 1; channels <= 4; ++channels)
            for (int channelBytes = 1; channelBytes <= 2; ++channelBytes)
                for (const bool runLength : {false, true})
                {
                    const Shape shape = {side, side == 17 ? 9 : side == 3 ? 2 : 1, channels, channelBytes, runLength};
                    written = Save(folder, Name(shape), Write(shape)) && written;
                }
    written = SaveDamaged(folder) && written;
    if (!written)
        std::fprintf(stderr, "could not write every seed into %s\n", folder.c_str());
    return written ? 0 : 1;
}
