#include "GridModel.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
const std::size_t FlushAt = std::size_t(1) << 20;

class Output
{
public:
    explicit Output(const std::string& path) : file(std::fopen(path.c_str(), "wb")) {}
    ~Output()
    {
        if (file != nullptr)
            std::fclose(file);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Text(const char* text) { bytes.append(text); }
    void Number(float value)
    {
        char digits[32];
        bytes.append(digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6).ptr);
    }
    void Number(long long value)
    {
        char digits[24];
        bytes.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    }
    template <typename T>
    void Binary(T value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void Raw(const std::string& text) { bytes += text; }
    void FlushIfFull()
    {
        if (bytes.size() >= FlushAt)
            Flush();
    }
    bool Close()
    {
        Flush();
        const bool ok = file != nullptr && good && std::fclose(file) == 0;
        file = nullptr;
        return ok;
    }

private:
    void Flush()
    {
        good = good && file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        bytes.clear();
    }

    std::FILE* file;
    std::string bytes;
    bool good = true;
};
}

float GridModel::Height(int column, int row) const
{
    const float x = float(column) / float(side), z = float(row) / float(side);
    return 0.05f * std::sin(9 * x) * std::cos(7 * z);
}

bool GridModel::WriteObj(const std::string& path) const
{
    Output obj(path);
    for (int row = 0; row <= side; ++row)
        for (int column = 0; column <= side; ++column)
        {
            obj.Text("v ");
            obj.Number(float(column) / float(side));
            obj.Text(" ");
            obj.Number(Height(column, row));
            obj.Text(" ");
            obj.Number(float(row) / float(side));
            obj.Text("\n");
            obj.FlushIfFull();
        }
    for (int row = 0; row <= side; ++row)
        for (int column = 0; column <= side; ++column)
        {
            obj.Text("vt ");
            obj.Number(float(column) / float(side));
            obj.Text(" ");
            obj.Number(float(row) / float(side));
            obj.Text("\n");
            obj.FlushIfFull();
        }
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
        {
            const long long a = 1LL + row * (side + 1LL) + column, b = a + 1, c = a + side + 1, d = c + 1;
            const long long corners[2][3] = {{a, c, b}, {b, c, d}};
            for (const auto& triangle : corners)
            {
                obj.Text("f");
                for (long long corner : triangle)
                {
                    obj.Text(" ");
                    obj.Number(corner);
                    obj.Text("/");
                    obj.Number(corner);
                }
                obj.Text("\n");
            }
            obj.FlushIfFull();
        }
    return obj.Close();
}

// The JSON chunk, then the binary one: positions, texture coordinates, indices.
bool GridModel::WriteGlb(const std::string& path) const
{
    const std::uint64_t vertices = std::uint64_t(side + 1) * (side + 1), indices = 6ULL * side * side;
    const std::uint64_t positionBytes = vertices * 12, uvBytes = vertices * 8, indexBytes = indices * 4;
    const std::uint64_t binBytes = positionBytes + uvBytes + indexBytes;
    const std::string n = std::to_string(vertices);
    float low = 0, high = 0;
    for (int row = 0; row <= side; ++row)
        for (int column = 0; column <= side; ++column)
        {
            low = std::fmin(low, Height(column, row));
            high = std::fmax(high, Height(column, row));
        }
    char bounds[64];
    std::snprintf(bounds, sizeof bounds, R"("min":[0,%.9g,0],"max":[1,%.9g,1])", double(low), double(high));
    std::string json =
        R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
        R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":2}]}],)"
        R"("buffers":[{"byteLength":)" + std::to_string(binBytes) + R"(}],"bufferViews":[)"
        R"({"buffer":0,"byteOffset":0,"byteLength":)" + std::to_string(positionBytes) + "},"
        R"({"buffer":0,"byteOffset":)" + std::to_string(positionBytes) + R"(,"byteLength":)" + std::to_string(uvBytes) + "},"
        R"({"buffer":0,"byteOffset":)" + std::to_string(positionBytes + uvBytes) + R"(,"byteLength":)" +
        std::to_string(indexBytes) + R"(}],"accessors":[)"
        R"({"bufferView":0,"componentType":5126,"count":)" + n + R"(,"type":"VEC3",)" + bounds + "},"
        R"({"bufferView":1,"componentType":5126,"count":)" + n + R"(,"type":"VEC2"},)"
        R"({"bufferView":2,"componentType":5125,"count":)" + std::to_string(indices) + R"(,"type":"SCALAR"}]})";
    json.append((4 - json.size() % 4) % 4, ' ');

    Output glb(path);
    glb.Binary(std::uint32_t(0x46546C67)); // "glTF"
    glb.Binary(std::uint32_t(2));
    glb.Binary(static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + binBytes));
    glb.Binary(static_cast<std::uint32_t>(json.size()));
    glb.Binary(std::uint32_t(0x4E4F534A)); // "JSON"
    glb.Raw(json);
    glb.Binary(static_cast<std::uint32_t>(binBytes));
    glb.Binary(std::uint32_t(0x004E4942)); // "BIN"
    for (int row = 0; row <= side; ++row)
        for (int column = 0; column <= side; ++column)
        {
            glb.Binary(float(column) / float(side));
            glb.Binary(Height(column, row));
            glb.Binary(float(row) / float(side));
            glb.FlushIfFull();
        }
    for (int row = 0; row <= side; ++row)
        for (int column = 0; column <= side; ++column)
        {
            glb.Binary(float(column) / float(side));
            glb.Binary(float(row) / float(side));
            glb.FlushIfFull();
        }
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
        {
            const std::uint32_t a = std::uint32_t(row) * std::uint32_t(side + 1) + std::uint32_t(column), b = a + 1,
                                c = a + std::uint32_t(side) + 1, d = c + 1;
            for (std::uint32_t corner : {a, c, b, b, c, d})
                glb.Binary(corner);
            glb.FlushIfFull();
        }
    return glb.Close();
}
