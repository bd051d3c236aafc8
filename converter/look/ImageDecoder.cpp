#include "ImageDecoder.h"

#include "DdsImage.h"
#include "JpegTableCheck.h"
#include "SgiImage.h"
#include "StbAllocator.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace
{
// The largest block a reader needs for an image of this size: 16-bit RGBA
// with a filter byte a row, or JPEG's planes padded to whole blocks; the
// compressed data, gathered in a buffer that doubles, is at most the file.
std::size_t LargestBlock(int width, int height, std::size_t size)
{
    const std::size_t padded = (std::size_t(width) + 31) * (std::size_t(height) + 31) * 8;
    return std::max(padded, 2 * size) + StbAllocator::HeaderLimit;
}

class BlockLimit
{
public:
    explicit BlockLimit(std::size_t largest) : previous(StbAllocator::SetLimit(largest)) {}
    ~BlockLimit() { StbAllocator::SetLimit(previous); }
    BlockLimit(const BlockLimit&) = delete;
    BlockLimit& operator=(const BlockLimit&) = delete;

private:
    std::size_t previous;
};
}

bool ImageDecoder::WithinCaps(std::int64_t width, std::int64_t height, std::string& why)
{
    if (width < 1 || height < 1)
    {
        why = "no texels";
        return false;
    }
    if (width > MaxSide || height > MaxSide || width * height > MaxTexels)
    {
        why = std::to_string(width) + " x " + std::to_string(height) + ", larger than the converter takes";
        return false;
    }
    return true;
}

bool ImageDecoder::ReadSize(const std::uint8_t* bytes, std::size_t size, int& width, int& height, std::string& why)
{
    if (SgiImage::Recognises(bytes, size))
        return SgiImage::ReadSize(bytes, size, width, height, why);
    if (DdsImage::Recognises(bytes, size))
        return DdsImage::ReadSize(bytes, size, width, height, why);
    if (size <= INT_MAX && !JpegTableCheck::TablesFit(bytes, size))
    {
        why = "a JPEG Huffman table of more than 256 codes";
        return false;
    }
    int channels = 0;
    if (size > INT_MAX || stbi_info_from_memory(bytes, static_cast<int>(size), &width, &height, &channels) == 0)
    {
        why = size > INT_MAX ? "larger than the converter takes" : "not an image the converter reads";
        return false;
    }
    return WithinCaps(width, height, why);
}

bool ImageDecoder::Decode(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& why)
{
    if (SgiImage::Recognises(bytes, size))
        return SgiImage::Decode(bytes, size, image, why);
    if (DdsImage::Recognises(bytes, size))
        return DdsImage::Decode(bytes, size, image, why);
    int width = 0, height = 0;
    if (!ReadSize(bytes, size, width, height, why))
        return false;
    int channels = 0;
    stbi_uc* texels = nullptr;
    {
        const BlockLimit limit(LargestBlock(width, height, size));
        texels = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    }
    if (texels == nullptr)
    {
        why = std::string("cannot decode: ") + stbi_failure_reason();
        return false;
    }
    // The header read above and the decoder agree, but the copy trusts neither.
    std::string unused;
    const bool fits = WithinCaps(width, height, unused);
    if (fits)
    {
        image.width = width;
        image.height = height;
        image.rgba.assign(texels, texels + std::size_t(width) * std::size_t(height) * 4);
    }
    stbi_image_free(texels);
    if (!fits)
        why = "the decoder and the header disagree on the size";
    return fits;
}

bool ImageDecoder::FromBgra(const std::uint8_t* bgra, int width, int height, Image& image, std::string& why)
{
    if (bgra == nullptr)
    {
        why = "no texels";
        return false;
    }
    if (!WithinCaps(width, height, why))
        return false;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    image.width = width;
    image.height = height;
    image.rgba.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::uint8_t* in = bgra + 4 * i;
        std::uint8_t* out = image.rgba.data() + 4 * i;
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = in[3];
    }
    return true;
}
