#pragma once
#include <cstddef>

// Reads the record fields of a model file. Large texts are cut at white space
// into chunks that threads parse at once; the chunks' results are then joined
// in order, so the outcome is the one sequential extraction gives (a failed
// extraction still ends everything after it).
class RecordReader
{
public:
    // Fills fields[0, fieldCount) from the text [begin, end) as the record
    // loop's extractions would; fields never reached are set to 0. chunkCount
    // 0 picks the number of chunks from the machine and the text's size.
    static void Read(const char* begin, const char* end, float* fields, std::size_t fieldCount, int chunkCount);

    static constexpr int MaxChunks = 8;
};
