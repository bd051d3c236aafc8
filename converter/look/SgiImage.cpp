#include "SgiImage.h"

#include "ImageDecoder.h"

namespace
{
const std::uint32_t Magic = 474;
const std::size_t HeaderSize = 512;
const std::uint8_t Verbatim = 0, RunLength = 1;
const int MaxChannels = 4;
const std::uint32_t Dithered = 1, ColourMap = 3;

std::uint32_t Load16(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 8 | p[1];
}

std::uint32_t Load32(const std::uint8_t* p)
{
    return Load16(p) << 16 | Load16(p + 2);
}

// The i-th value of a row of 1- or 2-byte values.
std::uint32_t Stored(const std::uint8_t* row, std::size_t i, int channelBytes)
{
    return channelBytes == 1 ? row[i] : Load16(row + 2 * i);
}

// 16-bit values rounded to 8 bits.
std::uint8_t Eight(std::uint32_t value, int channelBytes)
{
    return static_cast<std::uint8_t>(channelBytes == 1 ? value : (value * 255 + 32767) / 65535);
}

// Where the run-length table holds a row's offset; its length is one table on.
std::size_t RowEntry(int channel, int row, int height)
{
    return HeaderSize + 4 * (std::size_t(channel) * std::size_t(height) + std::size_t(row));
}
}

bool SgiImage::Recognises(const std::uint8_t* bytes, std::size_t size)
{
    return size >= 2 && Load16(bytes) == Magic;
}

// Dimension 1 is a single row, 2 a grey image, 3 as many channels as zsize
// says. The colour map field marks files whose values are no colours: 3-3-2
// dithered RGB, indices into a screen's map, or a palette of their own.
// Other values are taken as 0, from writers that left the field unset.
bool SgiImage::ReadHeader(const std::uint8_t* bytes, std::size_t size, Header& header, std::string& why)
{
    if (size < HeaderSize)
    {
        why = "an SGI header cut short";
        return false;
    }
    const std::uint8_t storage = bytes[2], channelBytes = bytes[3];
    const std::uint32_t dimension = Load16(bytes + 4), colourMap = Load32(bytes + 104);
    if (storage != Verbatim && storage != RunLength)
        why = "an SGI storage of kind " + std::to_string(storage) + ", neither plain nor run-length";
    else if (channelBytes != 1 && channelBytes != 2)
        why = "SGI channels of " + std::to_string(channelBytes) + " bytes, not 1 or 2";
    else if (dimension < 1 || dimension > 3)
        why = "an SGI image of " + std::to_string(dimension) + " dimensions, not 1 to 3";
    else if (colourMap >= Dithered && colourMap <= ColourMap)
        why = "an SGI dithered, screen or colour map file (kind " + std::to_string(colourMap) + ")";
    if (!why.empty())
        return false;
    header.runLength = storage == RunLength;
    header.channelBytes = channelBytes;
    header.width = static_cast<int>(Load16(bytes + 6));
    header.height = dimension == 1 ? 1 : static_cast<int>(Load16(bytes + 8));
    header.channels = dimension == 3 ? static_cast<int>(Load16(bytes + 10)) : 1;
    if (header.channels < 1 || header.channels > MaxChannels)
    {
        why = "an SGI image of " + std::to_string(header.channels) + " channels, not 1 to 4";
        return false;
    }
    return ImageDecoder::WithinCaps(header.width, header.height, why);
}

// Rows stored as they are follow the header; run-length rows lie wherever
// their table says, which must be inside the file.
bool SgiImage::RowsInside(const std::uint8_t* bytes, std::size_t size, const Header& header, std::string& why)
{
    const std::uint64_t rows = std::uint64_t(header.height) * std::uint64_t(header.channels);
    if (!header.runLength)
    {
        if (HeaderSize + rows * std::uint64_t(header.width) * std::uint64_t(header.channelBytes) <= size)
            return true;
        why = "an SGI file cut short";
        return false;
    }
    if (HeaderSize + 8 * rows > size)
    {
        why = "an SGI run-length table cut short";
        return false;
    }
    for (int channel = 0; channel < header.channels; ++channel)
        for (int row = 0; row < header.height; ++row)
        {
            const std::size_t entry = RowEntry(channel, row, header.height);
            const std::uint64_t offset = Load32(bytes + entry), length = Load32(bytes + entry + 4 * rows);
            if (offset + length > size)
            {
                why = "an SGI run-length table pointing past the end of the file";
                return false;
            }
        }
    return true;
}

bool SgiImage::ReadSize(const std::uint8_t* bytes, std::size_t size, int& width, int& height, std::string& why)
{
    Header header;
    if (!ReadHeader(bytes, size, header, why) || !RowsInside(bytes, size, header, why))
        return false;
    width = header.width;
    height = header.height;
    return true;
}

bool SgiImage::Decode(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& why)
{
    Header header;
    if (!ReadHeader(bytes, size, header, why) || !RowsInside(bytes, size, header, why))
        return false;
    Image decoded;
    decoded.width = header.width;
    decoded.height = header.height;
    decoded.rgba.assign(std::size_t(header.width) * std::size_t(header.height) * 4, 255);
    std::vector<std::uint8_t> values(std::size_t(header.width));
    for (int channel = 0; channel < header.channels; ++channel)
        for (int row = 0; row < header.height; ++row)
        {
            if (!ReadRow(bytes, header, channel, row, values, why))
                return false;
            Store(values, header, channel, row, decoded);
        }
    image = std::move(decoded);
    return true;
}

// One channel of one row, each value made 8 bits (16-bit values rounded).
// RowsInside has proved the row inside the file.
bool SgiImage::ReadRow(const std::uint8_t* bytes, const Header& header, int channel, int row,
                       std::vector<std::uint8_t>& values, std::string& why)
{
    if (!header.runLength)
    {
        const std::size_t rowBytes = std::size_t(header.width) * std::size_t(header.channelBytes);
        const std::uint8_t* from = bytes + HeaderSize + (std::size_t(channel) * header.height + row) * rowBytes;
        for (std::size_t x = 0; x < values.size(); ++x)
            values[x] = Eight(Stored(from, x, header.channelBytes), header.channelBytes);
        return true;
    }
    const std::size_t entry = RowEntry(channel, row, header.height);
    const std::size_t rows = std::size_t(header.height) * std::size_t(header.channels);
    const std::uint32_t offset = Load32(bytes + entry), length = Load32(bytes + entry + 4 * rows);
    if (Unpack(bytes + offset, length, header.channelBytes, values))
        return true;
    why = "an SGI run-length row that does not fill the image's width";
    return false;
}

// Each packet starts with a value whose low 7 bits count the values it
// covers: that many values follow when bit 7 is set, else one value
// repeated; a count of 0 ends the row. A 16-bit image packs counts and
// values alike in 16 bits.
bool SgiImage::Unpack(const std::uint8_t* from, std::size_t length, int channelBytes,
                      std::vector<std::uint8_t>& values)
{
    const std::size_t count = length / std::size_t(channelBytes);
    std::size_t x = 0, i = 0;
    while (i < count)
    {
        const std::uint32_t packet = Stored(from, i++, channelBytes);
        const std::size_t run = packet & 0x7F;
        if (run == 0)
            break;
        if (x + run > values.size())
            return false;
        const bool literal = (packet & 0x80) != 0;
        if (i + (literal ? run : 1) > count)
            return false;
        for (std::size_t k = 0; k < run; ++k)
            values[x + k] = Eight(Stored(from, literal ? i + k : i, channelBytes), channelBytes);
        x += run;
        i += literal ? run : 1;
    }
    return x == values.size();
}

// Rows run from the bottom; a grey channel fills red, green and blue.
void SgiImage::Store(const std::vector<std::uint8_t>& values, const Header& header, int channel, int row,
                     Image& image)
{
    const bool grey = header.channels <= 2;
    const int first = grey && channel == 1 ? 3 : channel;
    const int last = grey && channel == 0 ? 2 : first;
    std::uint8_t* out = image.rgba.data() + std::size_t(header.height - 1 - row) * std::size_t(header.width) * 4;
    for (std::size_t x = 0; x < values.size(); ++x)
        for (int slot = first; slot <= last; ++slot)
            out[4 * x + std::size_t(slot)] = values[x];
}
