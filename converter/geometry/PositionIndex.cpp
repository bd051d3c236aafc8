#include "PositionIndex.h"

#include <cstring>

namespace
{
// Mixes all 96 bits into the top ones, which pick the slot: nearby
// positions differ only in their low mantissa bits.
std::uint64_t Hash(const std::uint32_t (&bits)[3])
{
    std::uint64_t h = bits[0];
    h = h * 0x9E3779B97F4A7C15u + bits[1];
    h = h * 0xC2B2AE3D27D4EB4Fu + bits[2];
    h ^= h >> 31;
    return h * 0x9E3779B97F4A7C15u;
}

void KeyOf(const ModelVertex& vertex, std::uint32_t (&bits)[3])
{
    // + 0.0f turns -0 into 0: one point, one key.
    const float position[3] = {vertex.x + 0.0f, vertex.y + 0.0f, vertex.z + 0.0f};
    std::memcpy(bits, position, sizeof bits);
}
}

PositionIndex::PositionIndex(std::size_t expected) : shift(60)
{
    // At most half full, so that a probe ends soon.
    while ((std::size_t(1) << (64 - shift)) < 2 * expected && shift > 1)
        --shift;
    slots.assign(std::size_t(1) << (64 - shift), Slot{{0, 0, 0}, 0});
}

std::uint32_t PositionIndex::NumberOf(const ModelVertex& vertex)
{
    std::uint32_t bits[3];
    KeyOf(vertex, bits);
    std::size_t at = Find(bits);
    if (slots[at].numberPlusOne != 0)
        return slots[at].numberPlusOne - 1;
    if (2 * (std::size_t(count) + 1) > slots.size())
    {
        Grow();
        at = Find(bits);
    }
    slots[at] = Slot{{bits[0], bits[1], bits[2]}, ++count};
    return count - 1;
}

// Linear probing from the slot the hash picks.
std::size_t PositionIndex::Find(const std::uint32_t (&bits)[3]) const
{
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(Hash(bits) >> shift);; at = (at + 1) & mask)
    {
        const Slot& slot = slots[at];
        if (slot.numberPlusOne == 0 ||
            (slot.bits[0] == bits[0] && slot.bits[1] == bits[1] && slot.bits[2] == bits[2]))
            return at;
    }
}

void PositionIndex::Grow()
{
    std::vector<Slot> old(slots.size() * 2, Slot{{0, 0, 0}, 0});
    old.swap(slots);
    --shift;
    for (const Slot& slot : old)
        if (slot.numberPlusOne != 0)
            slots[Find(slot.bits)] = slot;
}
