#pragma once
#include "ModelVertex.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Numbers the distinct positions of vertices 0, 1, 2... in the order they
// first appear. Two positions are one when their bits are, -0 and 0 being
// the same. Open addressing over one array: no allocation per position,
// which a million-triangle model would pay for millions of times.
class PositionIndex
{
public:
    // Room for about expected positions before it grows.
    explicit PositionIndex(std::size_t expected);

    std::uint32_t NumberOf(const ModelVertex& vertex);
    std::uint32_t Count() const { return count; }

private:
    struct Slot
    {
        std::uint32_t bits[3];
        std::uint32_t numberPlusOne; // 0: empty
    };

    std::size_t Find(const std::uint32_t (&bits)[3]) const;
    void Grow();

    std::vector<Slot> slots;
    int shift;
    std::uint32_t count = 0;
};
