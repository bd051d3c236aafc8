// Arbitrary bytes into the model-file reader, side by side with the plain
// stream reading of the tests: the result, the count and every float's bits
// must be the stream's, and no allocation may exceed what the file justifies.
#include "FuzzCheck.h"
#include "ModelFileReader.h"
#include "StreamReference.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{
// The reference reads a file: one per process, rewritten for every input,
// in memory where the system offers a folder for that.
std::string referencePath;

void RemoveReferenceFile()
{
    std::remove(referencePath.c_str());
}

bool WriteReferenceFile(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(referencePath.c_str(), "wb");
    if (!file)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

struct Result
{
    bool read = false;
    int count = 0;
    ModelVertex* list = nullptr;

    Result() = default;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result() { delete[] list; }
};

void CheckSame(const Result& reader, const Result& stream, size_t size)
{
    Require(reader.read == stream.read, "the reader succeeds exactly when the stream does");
    Require(reader.count == stream.count, "the reader's count is the stream's");
    if (!reader.read)
    {
        Require(reader.count == 0 && reader.list == nullptr, "a failed read leaves nothing allocated");
        return;
    }
    Require(reader.list != nullptr && reader.count >= 0, "a successful read has a list");
    // Eight numbers of one character and their separators per record.
    Require(static_cast<uint64_t>(reader.count) * 16 <= static_cast<uint64_t>(size) + 1,
            "the file holds the text of every record it allocates");
    Require(std::memcmp(reader.list, stream.list, sizeof(ModelVertex) * static_cast<size_t>(reader.count)) == 0,
            "every float has the stream's bits");
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    referencePath = std::string(folder ? folder : "/tmp") + "/model_fuzz." + std::to_string(getpid()) + ".txt";
    std::atexit(RemoveReferenceFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Require(WriteReferenceFile(data, size), "the reference file can be written");
    Result stream;
    stream.read = StreamReference::ReadFile(referencePath.c_str(), stream.count, stream.list);

    Result reader;
    reader.read = ModelFileReader::Parse(reinterpret_cast<const char*>(data), size, reader.count, reader.list);
    CheckSame(reader, stream, size);
    return 0;
}
