#include "ModelFileReader.h"

#include "StreamNumberScanner.h"
#include "WholeFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

// The records are filled as one run of floats.
static_assert(sizeof(ModelVertex) == 8 * sizeof(float) && std::is_standard_layout<ModelVertex>::value,
              "ModelVertex must be eight packed floats");

namespace
{
const int FieldsPerVertex = 8;
const char EndOfTextMark = 0x1A; // Ctrl-Z: text-mode input ends here
}

bool ModelFileReader::ReadFile(const char* fileName, int& vertexCount, ModelVertex*& vertexList)
{
    vertexCount = 0;
    vertexList = nullptr;
    WholeFile file;
    return file.Load(fileName) && Parse(file.Data(), file.Size(), vertexCount, vertexList);
}

bool ModelFileReader::Parse(const char* data, std::size_t size, int& vertexCount, ModelVertex*& vertexList)
{
    vertexCount = 0;
    vertexList = nullptr;
    const char* const end = TextEnd(data, size);
    const char* p = data;
    int count = 0;
    if (!SkipPastColon(p, end) || !StreamNumberScanner::ScanInt(p, end, count) || count < 0)
        return false;
    if (!SkipPastColon(p, end))
        return false;
    SkipCharacter(p, end);
    SkipCharacter(p, end);
    if (!RestCanHold(p, end, count))
        return false;

    ModelVertex* vertices = new (std::nothrow) ModelVertex[static_cast<std::size_t>(count)];
    if (vertices == nullptr)
        return false;
    const std::size_t fieldCount = static_cast<std::size_t>(count) * FieldsPerVertex;
    ReadFields(p, end, reinterpret_cast<float*>(vertices), fieldCount);
    vertexCount = count;
    vertexList = vertices;
    return true;
}

const char* ModelFileReader::TextEnd(const char* data, std::size_t size)
{
    const void* mark = size > 0 ? std::memchr(data, EndOfTextMark, size) : nullptr;
    return mark != nullptr ? static_cast<const char*>(mark) : data + size;
}

// Running out of text before the ':' fails the read.
bool ModelFileReader::SkipPastColon(const char*& p, const char* end)
{
    const void* colon = p != end ? std::memchr(p, ':', static_cast<std::size_t>(end - p)) : nullptr;
    if (colon == nullptr)
        return false;
    p = static_cast<const char*>(colon) + 1;
    return true;
}

// One character of text-mode input: a CR LF pair arrives as one line break.
// At the end of the text nothing is consumed (the stream fails instead).
void ModelFileReader::SkipCharacter(const char*& p, const char* end)
{
    if (p == end)
        return;
    if (*p == '\r' && end - p >= 2 && p[1] == '\n')
        ++p;
    ++p;
}

// Each record takes at least eight one-character numbers, each followed by a
// separator but the very last, so n records need 16n - 1 characters. A count
// beyond that fails before anything is allocated for it.
bool ModelFileReader::RestCanHold(const char* p, const char* end, int vertexCount)
{
    if (vertexCount == 0)
        return true;
    const std::uint64_t needed = 16 * static_cast<std::uint64_t>(vertexCount) - 1;
    const std::uint64_t bytes = static_cast<std::uint64_t>(end - p);
    if (bytes < needed)
        return false;
    if (bytes / 2 >= needed)
        return true; // even all-CR-LF text holds half as many characters as bytes

    std::uint64_t pairs = 0;
    for (const char* cr = p; cr != end;)
    {
        const void* found = std::memchr(cr, '\r', static_cast<std::size_t>(end - cr));
        if (found == nullptr)
            break;
        cr = static_cast<const char*>(found) + 1;
        if (cr != end && *cr == '\n')
            ++pairs;
    }
    return bytes - pairs >= needed;
}

// The record loop's extractions, one after another. Once one fails, the stream
// reads nothing more: the failing one stores its own value, every later field 0.
void ModelFileReader::ReadFields(const char* p, const char* end, float* fields, std::size_t fieldCount)
{
    std::size_t filled = StreamNumberScanner::ScanFloats(p, end, fields, fieldCount);
    if (filled < fieldCount)
        ++filled;
    std::fill(fields + filled, fields + fieldCount, 0.0f);
}
