#pragma once
#include "ModelVertex.h"
#include "VertexText.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

// The model file's lines on their way to it, a chunk of vertices at a time:
// formatting threads take the chunks in order into a ring of buffers, so that
// the next chunks are formatted while one is written; a buffer takes the chunk
// a ring later once its chunk is written. The writer takes them in order.
class ChunkRing
{
public:
    ChunkRing(const std::vector<ModelVertex>& vertices, std::size_t verticesPerChunk, std::size_t buffers);

    std::size_t Chunks() const { return chunks; }

    // A formatting thread's work: chunk after chunk until none is left or
    // the writing stopped.
    void Format();

    // The chunk's text once a thread has formatted it, or formatted by here
    // on the caller's thread; its length in length.
    const std::vector<char>& Formatted(std::size_t chunk, VertexText* here, std::size_t& length);

    // The chunk is in the file: its buffer may take the chunk a ring later.
    void Written(std::size_t chunk);

    // No more chunks are taken; the threads' Format returns.
    void Stop();

private:
    static constexpr std::size_t NoChunk = ~std::size_t(0);

    std::size_t Claim();
    std::size_t FormatChunk(VertexText& lines, std::size_t chunk, char* start) const;

    const std::vector<ModelVertex>& vertices;
    const std::size_t verticesPerChunk;
    const std::size_t chunks;
    std::vector<std::vector<char>> text;
    std::vector<std::size_t> lengths;
    std::vector<std::size_t> holds; // the chunk each buffer holds formatted
    std::size_t next = 0;           // the next chunk a thread takes
    std::size_t written = 0;        // chunks in the file
    bool stopped = false;
    std::mutex mutex;
    std::condition_variable changed;
};
