#include "ModelReadResult.h"

#include "ModelFileReader.h"
#include "StreamReference.h"

#include <cstdint>
#include <cstring>
#include <sstream>

ModelReadResult ModelReadResult::Take(bool ok, int count, ModelVertex* list)
{
    ModelReadResult result;
    result.ok = ok;
    result.count = count;
    result.listNull = list == nullptr;
    if (list != nullptr)
        result.vertices.assign(list, list + count);
    delete[] list;
    return result;
}

ModelReadResult ModelReadResult::Parse(const std::string& text)
{
    int count = -1;
    ModelVertex* list = nullptr;
    const bool ok = ModelFileReader::Parse(text.data(), text.size(), count, list);
    return Take(ok, count, list);
}

ModelReadResult ModelReadResult::ReadFile(const char* fileName)
{
    int count = -1;
    ModelVertex* list = nullptr;
    const bool ok = ModelFileReader::ReadFile(fileName, count, list);
    return Take(ok, count, list);
}

ModelReadResult ModelReadResult::ReadReference(const char* fileName)
{
    int count = -1;
    ModelVertex* list = nullptr;
    const bool ok = StreamReference::ReadFile(fileName, count, list);
    return Take(ok, count, list);
}

float ModelReadResult::Field(std::size_t index) const
{
    float value = 0.0f;
    std::memcpy(&value, reinterpret_cast<const char*>(vertices.data()) + index * sizeof(float), sizeof value);
    return value;
}

std::string ModelReadResult::Difference(const ModelReadResult& expected, const ModelReadResult& actual)
{
    std::ostringstream out;
    if (expected.ok != actual.ok || expected.count != actual.count || expected.listNull != actual.listNull)
    {
        out << "result " << expected.ok << "/" << actual.ok << ", count " << expected.count << "/" << actual.count
            << ", null list " << expected.listNull << "/" << actual.listNull;
        return out.str();
    }
    for (std::size_t i = 0; i < expected.vertices.size() * 8; ++i)
    {
        std::uint32_t a = 0;
        std::uint32_t b = 0;
        const float x = expected.Field(i);
        const float y = actual.Field(i);
        std::memcpy(&a, &x, sizeof a);
        std::memcpy(&b, &y, sizeof b);
        if (a != b)
        {
            out << "field " << i << " (vertex " << i / 8 << "): expected bits " << std::hex << a << " (" << x
                << "), got " << b << " (" << y << ")";
            return out.str();
        }
    }
    return std::string();
}
