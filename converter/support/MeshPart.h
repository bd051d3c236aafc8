#pragma once
#include <cstddef>

// The vertices of one mesh instance in a model's triangle list: the geometry
// stage makes them, the look stage colours them.
struct MeshPart
{
    unsigned int mesh;
    std::size_t first;
    std::size_t count;
};
