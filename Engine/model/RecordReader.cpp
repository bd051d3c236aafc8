#include "RecordReader.h"

#include "FieldRunParser.h"
#include "StreamNumberScanner.h"

#include <algorithm>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace
{
// Below this much text per chunk a thread costs more than it saves.
const std::size_t MinChunkBytes = std::size_t(1) << 20;

struct Chunk
{
    const char* begin = nullptr;
    const char* end = nullptr;
    bool last = false;
    std::unique_ptr<float[]> values; // chunks after the first collect here
    std::size_t capacity = 0;
    FieldRun run;
};

int AutomaticChunkCount(std::size_t bytes)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t bySize = std::max<std::size_t>(1, bytes / MinChunkBytes);
    return static_cast<int>(std::min({cores, bySize, std::size_t(RecordReader::MaxChunks)}));
}

// Cuts at white-space characters, so no number straddles two chunks and each
// chunk after the first starts between two extractions.
int Split(const char* begin, const char* end, int wanted, Chunk* chunks)
{
    const std::size_t step = static_cast<std::size_t>(end - begin) / static_cast<std::size_t>(wanted);
    const char* start = begin;
    int count = 0;
    for (int i = 1; i < wanted; ++i)
    {
        const char* cut = std::max(start, begin + step * static_cast<std::size_t>(i));
        while (cut != end && !StreamNumberScanner::IsSpace(*cut))
            ++cut;
        if (cut == end)
            break;
        if (cut == start)
            continue;
        chunks[count].begin = start;
        chunks[count].end = cut;
        ++count;
        start = cut;
    }
    chunks[count].begin = start;
    chunks[count].end = end;
    chunks[count].last = true;
    return count + 1;
}

// Room for the fields a chunk is expected to hold, with some slack; a chunk
// that needs more is finished sequentially when the results are appended.
void Reserve(Chunk& chunk, std::size_t fieldCount, std::size_t textBytes)
{
    const std::size_t bytes = static_cast<std::size_t>(chunk.end - chunk.begin);
    const double share = static_cast<double>(bytes) / static_cast<double>(textBytes);
    const std::size_t expected = static_cast<std::size_t>(share * static_cast<double>(fieldCount));
    const std::size_t capacity = std::min({fieldCount, bytes / 2 + 1, expected + expected / 4 + 64});
    chunk.values.reset(new (std::nothrow) float[capacity]);
    chunk.capacity = chunk.values ? capacity : 0;
    chunk.run.stop = chunk.begin;
}

void ParseChunk(Chunk* chunk)
{
    chunk->run = FieldRunParser::Parse(chunk->begin, chunk->end, chunk->last, chunk->values.get(), chunk->capacity);
}

// A chunk left without a thread (or without room) is parsed when the results are appended.
void StartWorker(std::thread& worker, Chunk& chunk)
{
    if (chunk.capacity == 0)
        return;
    try
    {
        worker = std::thread(ParseChunk, &chunk);
    }
    catch (const std::system_error&)
    {
    }
}

// Appends a finished chunk's values after those already filled; returns false
// once the stream has failed or every field is filled.
bool Append(const Chunk& chunk, float* fields, std::size_t fieldCount, std::size_t& filled)
{
    const std::size_t taken = std::min(chunk.run.stored, fieldCount - filled);
    std::copy(chunk.values.get(), chunk.values.get() + taken, fields + filled);
    filled += taken;
    if (chunk.run.streamFailed || filled == fieldCount)
        return false;
    if (chunk.run.stop == chunk.end)
        return true;
    // The chunk stopped short (no room or no thread): finish it in place.
    const FieldRun rest = FieldRunParser::Parse(chunk.run.stop, chunk.end, chunk.last, fields + filled, fieldCount - filled);
    filled += rest.stored;
    return !rest.streamFailed && filled < fieldCount;
}
}

void RecordReader::Read(const char* begin, const char* end, float* fields, std::size_t fieldCount, int chunkCount)
{
    const std::size_t textBytes = static_cast<std::size_t>(end - begin);
    int wanted = chunkCount > 0 ? std::min(chunkCount, MaxChunks) : AutomaticChunkCount(textBytes);
    if (fieldCount == 0 || textBytes == 0)
        wanted = 1;

    Chunk chunks[MaxChunks];
    const int count = Split(begin, end, wanted, chunks);
    std::thread workers[MaxChunks];
    for (int i = 1; i < count; ++i)
    {
        Reserve(chunks[i], fieldCount, textBytes);
        StartWorker(workers[i], chunks[i]);
    }

    chunks[0].run = FieldRunParser::Parse(chunks[0].begin, chunks[0].end, chunks[0].last, fields, fieldCount);
    for (int i = 1; i < count; ++i)
    {
        if (workers[i].joinable())
            workers[i].join();
    }

    std::size_t filled = chunks[0].run.stored;
    bool more = !chunks[0].run.streamFailed && filled < fieldCount;
    for (int i = 1; i < count && more; ++i)
        more = Append(chunks[i], fields, fieldCount, filled);
    std::fill(fields + filled, fields + fieldCount, 0.0f);
}
