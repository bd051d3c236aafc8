#include "VertexText.h"

#include <algorithm>
#include <cstring>

namespace
{
// 2048 lines, 330 KB, kept in a core's own cache: a corner's next uses in
// the same row of triangles find its line; a row later, FloatText mostly
// still has its numbers.
const int IndexBits = 11;

std::uint32_t Hash(const std::uint32_t (&words)[8])
{
    std::uint64_t h = 0;
    for (std::uint32_t word : words)
        h = (h ^ word) * 0x9E3779B97F4A7C15u;
    return static_cast<std::uint32_t>(h >> (64 - IndexBits));
}
}

static_assert(sizeof(ModelVertex) == 32, "a vertex is eight floats");

VertexText::VertexText() : entries(std::size_t(1) << IndexBits)
{
    for (Entry& entry : entries)
        entry.length = 0;
}

char* VertexText::Append(char* out, const ModelVertex& vertex)
{
    // Bits, not values: -0 and 0 are written differently.
    std::uint32_t bits[8];
    std::memcpy(bits, &vertex, sizeof bits);
    Entry& entry = entries[Hash(bits)];
    if (entry.length != 0 && std::equal(bits, bits + 8, entry.bits))
    {
        std::memcpy(out, entry.text, entry.length);
        return out + entry.length;
    }
    char* const end = Format(out, vertex);
    std::copy(bits, bits + 8, entry.bits);
    entry.length = static_cast<std::uint32_t>(end - out);
    std::memcpy(entry.text, out, entry.length);
    return end;
}

char* VertexText::Format(char* out, const ModelVertex& vertex)
{
    const float fields[8] = {vertex.x, vertex.y, vertex.z, vertex.tu, vertex.tv, vertex.nx, vertex.ny, vertex.nz};
    for (int i = 0; i < 8; ++i)
    {
        out = floats.Append(out, fields[i]);
        *out++ = i < 7 ? ' ' : '\n';
    }
    return out;
}
