#pragma once
#include "FloatText.h"
#include "ModelVertex.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A vertex's line of Engine's model file: its eight numbers in the shortest
// form, separated by spaces, ending in a newline. Recent lines are
// remembered whole: a triangle list holds each corner of an indexed mesh as
// often as triangles share it, about six times, each time the same 32 bytes.
class VertexText
{
public:
    // The room a line takes while it is written, a little more than its
    // longest.
    static constexpr std::size_t Room = 8 * FloatText::Room;

    VertexText();

    // Writes the line at out, which has Room bytes; its end.
    char* Append(char* out, const ModelVertex& vertex);

private:
    struct Entry
    {
        std::uint32_t bits[8]; // the vertex's
        std::uint32_t length; // 0: empty
        char text[Room];
    };

    char* Format(char* out, const ModelVertex& vertex);

    FloatText floats;
    std::vector<Entry> entries;
};
