#pragma once
#include <cstdint>
#include <vector>

// Texels of one picture: rows from the top, four bytes each, red, green,
// blue, alpha.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};
