// Writes the image fuzzer's seed corpus into the folder named on the command
// line: small PNG, JPEG, TGA (plain and run-length) and BMP files in
// grey, grey with alpha, RGB and RGBA, and PNG headers just past the
// decoder's caps, which it must refuse.
#include "SeedFile.h"

#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
struct Shape
{
    int width;
    int height;
    int channels;
};

const Shape Shapes[] = {{1, 1, 1}, {3, 2, 3}, {8, 8, 4}, {17, 9, 3}, {4, 4, 2}, {64, 1, 4}};

// A gradient with some noise: neither flat nor random.
std::vector<std::uint8_t> Texels(const Shape& shape)
{
    std::vector<std::uint8_t> texels(std::size_t(shape.width) * shape.height * shape.channels);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < texels.size(); ++i)
    {
        noise = noise * 1103515245u + 12345u;
        const std::size_t texel = i / shape.channels;
        const int x = static_cast<int>(texel % shape.width), y = static_cast<int>(texel / shape.width);
        texels[i] = static_cast<std::uint8_t>(x * 255 / shape.width + y * 7 + (i % shape.channels) * 60 + (noise >> 28));
    }
    return texels;
}

std::string Name(const std::string& folder, const Shape& shape, const char* extension)
{
    return folder + "/" + std::to_string(shape.width) + "x" + std::to_string(shape.height) + "_" +
           std::to_string(shape.channels) + extension;
}

bool WriteAll(const std::string& folder, const Shape& shape)
{
    const std::vector<std::uint8_t> texels = Texels(shape);
    const void* data = texels.data();
    const int w = shape.width, h = shape.height, n = shape.channels;
    bool written = stbi_write_png(Name(folder, shape, ".png").c_str(), w, h, n, data, 0) != 0;
    written = stbi_write_bmp(Name(folder, shape, ".bmp").c_str(), w, h, n, data) != 0 && written;
    written = stbi_write_jpg(Name(folder, shape, ".jpg").c_str(), w, h, n, data, 80) != 0 && written;
    stbi_write_tga_with_rle = 0;
    written = stbi_write_tga(Name(folder, shape, ".tga").c_str(), w, h, n, data) != 0 && written;
    stbi_write_tga_with_rle = 1;
    return stbi_write_tga(Name(folder, shape, "_rle.tga").c_str(), w, h, n, data) != 0 && written;
}

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// A 1 x 1 PNG whose header claims another size (its checksum is not read).
bool WriteClaimedSize(const std::string& folder, const char* name, std::uint32_t width, std::uint32_t height)
{
    const std::uint8_t texel[3] = {10, 20, 30};
    std::vector<std::uint8_t> bytes;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    if (stbi_write_png_to_func(append, &bytes, 1, 1, 3, texel, 0) == 0)
        return false;
    PutBigEndian(bytes, 16, width);
    PutBigEndian(bytes, 20, height);
    return SaveSeed(folder + "/" + name, bytes);
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: image_seed_writer <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool written = true;
    for (const Shape& shape : Shapes)
        written = WriteAll(folder, shape) && written;
    written = WriteClaimedSize(folder, "no_16385x1.png", 16385, 1) && written;
    written = WriteClaimedSize(folder, "no_16384x8192.png", 16384, 8192) && written;
    written = WriteClaimedSize(folder, "short_512x512.png", 512, 512) && written;
    if (!written)
        std::fprintf(stderr, "could not write every seed into %s\n", folder.c_str());
    return written ? 0 : 1;
}
