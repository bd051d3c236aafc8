#include "ChunkRing.h"

#include <algorithm>

ChunkRing::ChunkRing(const std::vector<ModelVertex>& vertices, std::size_t verticesPerChunk, std::size_t buffers)
    : vertices(vertices), verticesPerChunk(verticesPerChunk),
      chunks((vertices.size() + verticesPerChunk - 1) / verticesPerChunk), text(buffers), lengths(buffers),
      holds(buffers, NoChunk)
{
    for (std::vector<char>& buffer : text)
        buffer.resize(verticesPerChunk * VertexText::Room);
}

void ChunkRing::Format()
{
    VertexText lines;
    for (std::size_t chunk = Claim(); chunk != NoChunk; chunk = Claim())
    {
        const std::size_t slot = chunk % text.size();
        const std::size_t length = FormatChunk(lines, chunk, text[slot].data());
        const std::lock_guard<std::mutex> lock(mutex);
        lengths[slot] = length;
        holds[slot] = chunk;
        changed.notify_all();
    }
}

// The next chunk, once its buffer's previous chunk is written.
std::size_t ChunkRing::Claim()
{
    std::unique_lock<std::mutex> lock(mutex);
    const std::size_t chunk = next++;
    changed.wait(lock, [&] { return stopped || chunk >= chunks || chunk < written + text.size(); });
    return stopped || chunk >= chunks ? NoChunk : chunk;
}

std::size_t ChunkRing::FormatChunk(VertexText& lines, std::size_t chunk, char* start) const
{
    const std::size_t first = chunk * verticesPerChunk;
    const std::size_t end = std::min(first + verticesPerChunk, vertices.size());
    char* out = start;
    for (std::size_t v = first; v < end; ++v)
        out = lines.Append(out, vertices[v]);
    return static_cast<std::size_t>(out - start);
}

const std::vector<char>& ChunkRing::Formatted(std::size_t chunk, VertexText* here, std::size_t& length)
{
    const std::size_t slot = chunk % text.size();
    if (here != nullptr)
    {
        length = FormatChunk(*here, chunk, text[slot].data());
        return text[slot];
    }
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return holds[slot] == chunk; });
    length = lengths[slot];
    return text[slot];
}

void ChunkRing::Written(std::size_t chunk)
{
    const std::lock_guard<std::mutex> lock(mutex);
    written = chunk + 1;
    changed.notify_all();
}

void ChunkRing::Stop()
{
    const std::lock_guard<std::mutex> lock(mutex);
    stopped = true;
    changed.notify_all();
}
