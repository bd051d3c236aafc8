#include "TilePacker.h"

#include <algorithm>
#include <cmath>

namespace
{
std::uint64_t Area(const std::vector<Tile>& tiles)
{
    std::uint64_t area = 0;
    for (const Tile& tile : tiles)
        area += std::uint64_t(tile.side) * tile.side;
    return area;
}

// Every other bit of a Z-order index: x from the even ones, y from the odd.
std::uint32_t EvenBits(std::uint64_t index)
{
    std::uint32_t value = 0;
    for (int bit = 0; bit < 32; ++bit)
        value |= static_cast<std::uint32_t>((index >> (2 * bit)) & 1) << bit;
    return value;
}
}

std::uint32_t TilePacker::SideFor(int width, int height)
{
    const double size = std::sqrt(double(width) * height);
    std::uint32_t side = 1;
    while (side < MaxSide && size >= side * std::sqrt(2.0))
        side *= 2;
    return side;
}

bool TilePacker::Pack(std::vector<Tile>& tiles, std::uint32_t& width, std::uint32_t& height)
{
    if (tiles.empty())
        return false;
    std::vector<std::size_t> order(tiles.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (!ShrinkToFit(tiles, order))
        return false;
    std::stable_sort(order.begin(), order.end(), [&tiles](std::size_t a, std::size_t b) {
        return tiles[a].side > tiles[b].side;
    });
    Place(tiles, order);

    const std::uint64_t area = Area(tiles);
    width = 1;
    while (std::uint64_t(width) * width < area)
        width *= 2;
    // The first half of a Z-order curve is the top half of its square.
    height = area * 2 <= std::uint64_t(width) * width ? width / 2 : width;
    return true;
}

// Halving a tile of side s saves three quarters of s x s: halve as many of
// the largest as the excess needs, then look at the next size down.
bool TilePacker::ShrinkToFit(std::vector<Tile>& tiles, const std::vector<std::size_t>& order)
{
    const std::uint64_t capacity = std::uint64_t(MaxSide) * MaxSide;
    std::uint64_t area = Area(tiles);
    for (std::uint32_t side = MaxSide; area > capacity && side > 1; side /= 2)
    {
        const std::uint64_t saving = std::uint64_t(side) * side / 4 * 3;
        for (std::size_t k = order.size(); k-- > 0 && area > capacity;)
        {
            Tile& tile = tiles[order[k]];
            if (tile.side != side || !tile.shrinkable)
                continue;
            tile.side /= 2;
            area -= saving;
        }
    }
    return area <= capacity;
}

void TilePacker::Place(std::vector<Tile>& tiles, const std::vector<std::size_t>& order)
{
    const std::uint32_t unit = tiles[order.back()].side;
    std::uint64_t cursor = 0; // in unit x unit cells
    for (std::size_t index : order)
    {
        Tile& tile = tiles[index];
        tile.x = EvenBits(cursor) * unit;
        tile.y = EvenBits(cursor >> 1) * unit;
        cursor += std::uint64_t(tile.side / unit) * (tile.side / unit);
    }
}
