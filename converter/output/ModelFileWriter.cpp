#include "ModelFileWriter.h"

#include "ChunkRing.h"
#include "OutputFile.h"
#include "WorkThreads.h"

#include <algorithm>
#include <optional>

namespace
{
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
    const unsigned threadCount = WorkThreads::Parts((vertices.size() + VerticesPerChunk - 1) / VerticesPerChunk, 1);
    // Two buffers a thread: one being formatted while the other waits its turn.
    ChunkRing ring(vertices, VerticesPerChunk, 2 * std::size_t(threadCount));
    // None when the chunks are too few to share: the writer formats them.
    std::vector<std::thread> threads =
        WorkThreads::Start(0, threadCount > 1 ? threadCount : 0, [&ring](unsigned) { ring.Format(); });
    const bool written = WriteInOrder(file, ring, threads.empty());
    ring.Stop();
    for (std::thread& thread : threads)
        thread.join();
    return written && std::fflush(file) == 0;
}
