#include "ModelFileWriter.h"

#include "OutputFile.h"
#include "VertexText.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace
{
const unsigned MostThreads = 4;

// The chunks on their way: formatting threads take them in order into a
// ring of buffers, two per thread, so that the next chunks are formatted
// while one is written; a buffer is reused once its chunk is written.
class ChunkRing
{
public:
    ChunkRing(const std::vector<ModelVertex>& vertices, std::size_t buffers)
        : vertices(vertices), chunks((vertices.size() + ModelFileWriter::VerticesPerChunk - 1) / ModelFileWriter::VerticesPerChunk),
          text(buffers), lengths(buffers), holds(buffers, NoChunk)
    {
        for (std::vector<char>& buffer : text)
            buffer.resize(ModelFileWriter::VerticesPerChunk * VertexText::Room);
    }

    std::size_t Chunks() const { return chunks; }

    // A formatting thread's work: chunk after chunk until none is left or
    // the writing stopped.
    void Format()
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

    // The chunk's text once a thread has formatted it, or formatted here when
    // no thread could be started.
    const std::vector<char>& Formatted(std::size_t chunk, VertexText* here, std::size_t& length)
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

    // The chunk is in the file: its buffer may take the chunk a ring later.
    void Written(std::size_t chunk)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        written = chunk + 1;
        changed.notify_all();
    }

    void Stop()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopped = true;
        changed.notify_all();
    }

private:
    static constexpr std::size_t NoChunk = ~std::size_t(0);

    // The next chunk, once its buffer's previous chunk is written.
    std::size_t Claim()
    {
        std::unique_lock<std::mutex> lock(mutex);
        const std::size_t chunk = next++;
        changed.wait(lock, [&] { return stopped || chunk >= chunks || chunk < written + text.size(); });
        return stopped || chunk >= chunks ? NoChunk : chunk;
    }

    std::size_t FormatChunk(VertexText& lines, std::size_t chunk, char* start) const
    {
        const std::size_t first = chunk * ModelFileWriter::VerticesPerChunk;
        const std::size_t end = std::min(first + ModelFileWriter::VerticesPerChunk, vertices.size());
        char* out = start;
        for (std::size_t v = first; v < end; ++v)
            out = lines.Append(out, vertices[v]);
        return static_cast<std::size_t>(out - start);
    }

    const std::vector<ModelVertex>& vertices;
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

unsigned ThreadCount(std::size_t chunks)
{
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), MostThreads));
    return static_cast<unsigned>(std::min<std::size_t>(cores, chunks));
}

// As many as can be started; none when chunks are too few to share.
std::vector<std::thread> StartFormatting(ChunkRing& ring, unsigned count)
{
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < count && count > 1; ++i)
    {
        try
        {
            threads.emplace_back(&ChunkRing::Format, &ring);
        }
        catch (const std::system_error&)
        {
            break;
        }
    }
    return threads;
}

bool WriteInOrder(std::FILE* file, ChunkRing& ring, bool formatHere)
{
    std::optional<VertexText> here;
    if (formatHere)
        here.emplace();
    for (std::size_t chunk = 0; chunk < ring.Chunks(); ++chunk)
    {
        std::size_t length = 0;
        const std::vector<char>& text = ring.Formatted(chunk, here ? &*here : nullptr, length);
        if (std::fwrite(text.data(), 1, length, file) != length)
            return false;
        ring.Written(chunk);
    }
    return true;
}
}

bool ModelFileWriter::Write(const std::string& path, const std::vector<ModelVertex>& vertices, std::string& error)
{
    OutputFile output(path);
    return output.Open(error) && output.Close(Write(output.Stream(), vertices), error) && output.Commit(error);
}

bool ModelFileWriter::Write(std::FILE* file, const std::vector<ModelVertex>& vertices)
{
    const std::string header = "Vertex Count: " + std::to_string(vertices.size()) + "\n\nData:\n\n";
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size())
        return false;
    const unsigned threadCount = ThreadCount((vertices.size() + VerticesPerChunk - 1) / VerticesPerChunk);
    ChunkRing ring(vertices, 2 * std::size_t(std::max(1u, threadCount)));
    std::vector<std::thread> threads = StartFormatting(ring, threadCount);
    const bool written = WriteInOrder(file, ring, threads.empty());
    ring.Stop();
    for (std::thread& thread : threads)
        thread.join();
    return written && std::fflush(file) == 0;
}
