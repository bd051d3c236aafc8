// Arbitrary bytes into the SGI reader. A file whose size or rows are refused
// decodes to nothing and says why; a file stored as it is whose rows are
// accepted decodes; a decoded image has the header's size, grey channels in
// red, green and blue alike and opaque texels where the file has no alpha;
// and ImageDecoder, which recognises it by its content, decodes the same.
#include "FuzzCheck.h"
#include "ImageDecoder.h"
#include "SgiImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
// As in image_fuzz: the caps allow 256 MB of texels, which a few run-length
// bytes shared by every row can ask for; the fuzzer's malloc limit is far
// below that.
const std::int64_t FuzzMaxTexels = std::int64_t(1) << 16;

int ChannelsOf(const std::uint8_t* data)
{
    const int dimension = data[4] << 8 | data[5];
    return dimension == 3 ? (data[10] << 8 | data[11]) : 1;
}

void CheckRefused(const std::uint8_t* data, std::size_t size)
{
    Image image;
    std::string why;
    Require(!SgiImage::Decode(data, size, image, why), "a file whose size or rows are refused is not decoded");
    Require(image.width == 0 && image.height == 0 && image.rgba.empty(), "a refused image stays empty");
    Require(!why.empty(), "a refusal says why");
}

void CheckTexels(const Image& image, int channels)
{
    for (std::size_t i = 0; i < image.rgba.size(); i += 4)
    {
        const std::uint8_t* texel = image.rgba.data() + i;
        Require(channels > 2 || (texel[0] == texel[1] && texel[1] == texel[2]), "grey is the same in red, green and blue");
        Require(channels == 2 || channels == 4 || texel[3] == 255, "without alpha, texels are opaque");
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!SgiImage::Recognises(data, size))
        return 0;
    int width = 0, height = 0;
    std::string why;
    if (!SgiImage::ReadSize(data, size, width, height, why))
    {
        Require(!why.empty(), "a refusal says why");
        CheckRefused(data, size);
        return 0;
    }
    std::string unused;
    Require(ImageDecoder::WithinCaps(width, height, unused), "an accepted size is within the caps");
    if (std::int64_t(width) * height > FuzzMaxTexels)
        return 0;
    Image image;
    const bool decoded = SgiImage::Decode(data, size, image, why);
    Require(decoded || data[2] != 0, "a file stored as it is, its rows inside it, decodes");
    Image again;
    Require(ImageDecoder::Decode(data, size, again, unused) == decoded && again.rgba == image.rgba,
            "ImageDecoder decodes SGI files the same");
    if (!decoded)
    {
        Require(image.rgba.empty() && !why.empty(), "a row that cannot be decoded leaves nothing and says why");
        return 0;
    }
    Require(image.width == width && image.height == height, "the decoded size is the one the header gave");
    Require(image.rgba.size() == std::size_t(width) * std::size_t(height) * 4, "four bytes per texel");
    CheckTexels(image, ChannelsOf(data));
    return 0;
}
