#include "StreamReference.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <sstream>

namespace
{
std::unique_ptr<std::istream> OpenText(const char* fileName)
{
#ifdef _WIN32
    std::unique_ptr<std::istream> in(new std::ifstream(fileName));
#else
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return nullptr;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::unique_ptr<std::istream> in(new std::istringstream(StreamReference::TextModeText(bytes)));
#endif
    if (in->fail())
        return nullptr;
    return in;
}

bool SkipPastColon(std::istream& in)
{
    char input = 0;
    do
    {
        if (!in.get(input))
            return false;
    } while (input != ':');
    return true;
}

// Up to the records: the first label, the count, the second label and the two
// characters after it.
bool ReadHeader(std::istream& in, int& vertexCount)
{
    if (!SkipPastColon(in))
        return false;
    in >> vertexCount;
    if (in.fail() || vertexCount < 0)
        return false;
    if (!SkipPastColon(in))
        return false;
    char input = 0;
    in.get(input);
    in.get(input);
    return true;
}

// Characters left after the header, counted on a stream of its own.
bool CountRest(const char* fileName, int& vertexCount, long long& rest)
{
    std::unique_ptr<std::istream> in = OpenText(fileName);
    if (!in || !ReadHeader(*in, vertexCount))
        return false;
    in->ignore(std::numeric_limits<std::streamsize>::max());
    rest = in->gcount();
    return true;
}
}

bool StreamReference::ReadFile(const char* fileName, int& vertexCount, ModelVertex*& vertexList)
{
    vertexCount = 0;
    vertexList = nullptr;
    int count = 0;
    long long rest = 0;
    if (!CountRest(fileName, count, rest))
        return false;
    if (count > 0 && rest < 16LL * count - 1)
        return false;

    std::unique_ptr<std::istream> in = OpenText(fileName);
    if (!in || !ReadHeader(*in, count))
        return false;
    ModelVertex* vertices = new (std::nothrow) ModelVertex[count]();
    if (vertices == nullptr)
        return false;
    for (int i = 0; i < count; ++i)
    {
        ModelVertex& v = vertices[i];
        *in >> v.x >> v.y >> v.z >> v.tu >> v.tv >> v.nx >> v.ny >> v.nz;
    }
    vertexCount = count;
    vertexList = vertices;
    return true;
}

std::string StreamReference::TextModeText(const std::string& bytes)
{
    const std::string::size_type mark = bytes.find('\x1a');
    const std::string text = bytes.substr(0, mark);
    std::string translated;
    translated.reserve(text.size());
    for (std::string::size_type i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        translated += text[i];
    }
    return translated;
}
