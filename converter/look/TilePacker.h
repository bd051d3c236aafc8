#pragma once
#include <cstdint>
#include <vector>

// A square of the atlas, its side a power of two, at a multiple of its side:
// the 2 x 2 averages that make each smaller level then never reach past it
// until it is one texel.
struct Tile
{
    std::uint32_t side = 1;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    bool shrinkable = true;
};

// Places tiles in the smallest atlas of power-of-two sides, square or twice
// as wide as high, shrinking the largest shrinkable tiles (halving them, the
// later ones first) until all fit in MaxSide x MaxSide. Largest first, the
// tiles follow a Z-order curve: each starts where the one before ended,
// which is then always a multiple of its own size, so nothing is wasted.
class TilePacker
{
public:
    static const std::uint32_t MaxSide = 4096;

    // The tile side for an image: the power of two nearest the side of a
    // square of the same area, at most MaxSide.
    static std::uint32_t SideFor(int width, int height);

    // Sides must be powers of two up to MaxSide. False if the tiles cannot
    // fit even shrunk to one texel each.
    static bool Pack(std::vector<Tile>& tiles, std::uint32_t& width, std::uint32_t& height);

private:
    static bool ShrinkToFit(std::vector<Tile>& tiles, const std::vector<std::size_t>& order);
    static void Place(std::vector<Tile>& tiles, const std::vector<std::size_t>& order);
};
