#include "ConverterTestSupport.h"

#include "DdsFile.h"
#include "ModelFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

std::string Read(const std::string& path) { return TempFolder::ReadBytes(path); }
void Write(const std::string& path, const std::string& bytes) { TempFolder::WriteBytes(path, bytes); }

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Outcome Convert(const std::string& scratch, const std::vector<std::string>& arguments, int seconds)
{
    std::string command = "timeout -s KILL " + std::to_string(seconds) + " " + VexeloModel();
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    const std::string out = scratch + ".out", err = scratch + ".err"; // beside the folder, not in it
    const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
    Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(out), Read(err)};
    fs::remove(out);
    fs::remove(err);
    return run;
}

long long Triangles(const Outcome& run)
{
    std::smatch count;
    return std::regex_search(run.out, count, std::regex(" ([0-9]+) triangles?, ")) ? std::stoll(count[1]) : -1;
}

std::vector<ModelVertex> ReadModel(const std::string& path)
{
    int count = 0;
    ModelVertex* list = nullptr;
    if (!ModelFileReader::ReadFile(path.c_str(), count, list))
        return {};
    std::vector<ModelVertex> vertices(list, list + count);
    delete[] list;
    return vertices;
}

Vec Centre(const ModelVertex* vertices, std::size_t count, double& extent)
{
    Vec low{1e30, 1e30, 1e30}, high{-1e30, -1e30, -1e30};
    for (std::size_t i = 0; i < count; ++i)
    {
        const Vec p = At(vertices[i]);
        low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
    }
    extent = std::fmax(high.x - low.x, std::fmax(high.y - low.y, high.z - low.z));
    return {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
}

const int Signs[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
const int Quads[6][4] = {{1, 4, 3, 2}, {5, 6, 7, 8}, {1, 2, 6, 5}, {3, 4, 8, 7}, {1, 5, 8, 4}, {2, 3, 7, 6}};
double U(const Vec& p) { return 0.1 + 0.1 * p.x + 0.05 * p.z; }
double V(const Vec& p) { return 0.05 * p.y + 0.1 * p.z; }

Vec BoxCorner(const int* s) { return {s[0] < 0 ? 1.0 : 3.0, s[1] < 0 ? 1.0 : 5.0, s[2] < 0 ? 1.0 : 2.0}; }

std::string ObjBox(bool normals, const std::string& extra)
{
    std::ostringstream text;
    for (const auto& s : Signs)
    {
        const Vec p = BoxCorner(s);
        text << "v " << p.x << ' ' << p.y << ' ' << p.z << "\nvt " << U(p) << ' ' << V(p) << '\n';
    }
    text << "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0\n";
    for (int f = 0; f < 6; ++f)
    {
        text << 'f';
        for (int corner : Quads[f])
            text << ' ' << corner << '/' << corner << (normals ? "/" + std::to_string(f + 1) : "");
        text << '\n';
    }
    return text.str() + extra;
}

void WriteGltf(const TempFolder& folder, int repeats, const std::string& nodes, const std::string& roots)
{
    std::string bin;
    auto put = [&bin](auto value) { bin.append(reinterpret_cast<const char*>(&value), sizeof value); };
    for (const auto& s : Signs)
        for (int axis = 0; axis < 3; ++axis)
            put(static_cast<float>(s[axis]));
    for (const auto& quad : Quads)
        for (int k : {0, 1, 2, 0, 2, 3})
            put(static_cast<std::uint16_t>(quad[k] - 1));
    for (bool normals : {false, true}) // a face's normal: the mean of its corners
        for (const auto& quad : Quads)
            for (int k : {0, 1, 2, 0, 2, 3})
                for (int axis = 0; axis < 3; ++axis)
                    put(normals ? (Signs[quad[0] - 1][axis] + Signs[quad[1] - 1][axis] + Signs[quad[2] - 1][axis] + Signs[quad[3] - 1][axis]) / 4.0f
                                : static_cast<float>(Signs[quad[k] - 1][axis]));
    for (int i = 0; i < 3 * repeats; ++i)
        put(static_cast<std::uint16_t>(i % 3));
    Write(folder.Path("scene.bin"), bin);
    const std::string mesh = R"({"primitives":[{"attributes":{"POSITION":0},"indices":)", index = R"(,"componentType":5123,"type":"SCALAR","count":)",
                      vec3 = R"(,"componentType":5126,"type":"VEC3","count":)", cube = R"(,"min":[-1,-1,-1],"max":[1,1,1]},)";
    auto view = [](int offset, int length) { return R"({"buffer":0,"byteOffset":)" + std::to_string(offset) + R"(,"byteLength":)" + std::to_string(length) + "}"; };
    Write(folder.Path("scene.gltf"), R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[)" + roots + R"(]}],"nodes":[)" + nodes +
              R"(],"meshes":[)" + mesh + "1}]}," + mesh + R"(2}]},{"primitives":[{"attributes":{"POSITION":3,"NORMAL":4}}]}],)"
              R"("buffers":[{"uri":"scene.bin","byteLength":)" + std::to_string(bin.size()) + R"(}],"bufferViews":[)" + view(0, 96) + "," +
              view(96, 72) + "," + view(1032, 6 * repeats) + "," + view(168, 432) + "," + view(600, 432) + R"(],"accessors":[{"bufferView":0)" +
              vec3 + "8" + cube + R"({"bufferView":1)" + index + R"(36},{"bufferView":2)" + index + std::to_string(3 * repeats) +
              R"(},{"bufferView":3)" + vec3 + "36" + cube + R"({"bufferView":4)" + vec3 + "36}]}");
}

std::string Shell(const std::string& command)
{
    const std::string out = fs::temp_directory_path() / ("vexelo-shell-" + std::to_string(getpid()));
    const int status = std::system((command + " >'" + out + "'").c_str());
    std::string text = status == 0 ? Read(out) : "";
    fs::remove(out);
    return text;
}

Texture ReadTexture(const std::string& path, bool alsoByImageMagick)
{
    const std::string bytes = Read(path);
    DdsFile dds;
    Texture texture;
    if (!dds.Parse(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) || dds.Format() != 28 ||
        dds.ArraySize() != 1 || dds.LevelCount() != DdsFile::FullChainLength(dds.Width(), dds.Height()))
        return texture;
    texture.width = dds.Width();
    texture.height = dds.Height();
    for (std::uint32_t level = 0; level < dds.LevelCount(); ++level)
        texture.levels.push_back(bytes.substr(dds.LevelOffset(0, level), dds.Level(level).size));
    // ImageMagick, which shares nothing with us, reads the same top level.
    // Version 6 takes every 32-bit DDS as blue, green, red, alpha whatever
    // the masks say; swapped back here.
    if (!alsoByImageMagick)
        return texture;
    std::string magick = Shell("convert '" + path + "' -depth 8 rgba:-");
    for (std::size_t i = 0; i + 3 < magick.size(); i += 4)
        std::swap(magick[i], magick[i + 2]);
    EXPECT_EQ(magick, texture.levels[0]) << "ImageMagick reads another top level";
    return texture;
}

std::string TwoQuadsObj(bool coordinates, int low, int high)
{
    std::ostringstream text;
    text << "mtllib two.mtl\nv -2 0 0\nv -1 0 0\nv -1 1 0\nv -2 1 0\nv 1 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\n";
    if (coordinates)
        text << "vt " << low << ' ' << low << "\nvt " << high << ' ' << low << "\nvt " << high << ' ' << high << "\nvt "
             << low << ' ' << high << '\n';
    const char* corners[2] = {coordinates ? "/1 2/2 3/3 4/4" : " 2 3 4", coordinates ? "/1 6/2 7/3 8/4" : " 6 7 8"};
    text << "usemtl left\nf 1" << corners[0] << "\nusemtl right\nf 5" << corners[1] << '\n';
    return text.str();
}

void MagickImage(const TempFolder& f, const std::string& name, const std::string& drawing)
{
    ASSERT_EQ(std::system(("convert " + drawing + " -depth 8 'png24:" + f.Path(name).string() + "'").c_str()), 0);
}

void PngOf(const TempFolder& f, const std::string& name, int side, TexelOf texel, const std::string& format)
{
    std::string texels;
    for (int i = 0; i < side * side; ++i)
        texels += {char(texel(i % side, i / side)[0]), char(texel(i % side, i / side)[1]), char(texel(i % side, i / side)[2])};
    Write(f.Path("texels.rgb"), texels);
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    ASSERT_EQ(std::system(("cd '" + f.Path().string() + "' && convert -size " + size + " -depth 8 rgb:texels.rgb " + format + ":" + name).c_str()), 0);
}

void WriteGltfSides(const TempFolder& f, const std::vector<GltfSide>& sides, const std::string& extra)
{
    std::string bin, views, accessors, meshes, materials;
    int count = 0, materialCount = 0;
    const auto add = [&](const void* data, std::size_t bytes, const std::string& accessor) {
        const std::string n = std::to_string(count), sep = count++ ? "," : "";
        views += sep + R"({"buffer":0,"byteOffset":)" + std::to_string(bin.size()) + R"(,"byteLength":)" + std::to_string(bytes) + "}";
        accessors += sep + R"({"bufferView":)" + n + R"(,"componentType":)" + accessor + "}";
        bin.append(static_cast<const char*>(data), bytes).append((4 - bytes % 4) % 4, '\0');
        return n;
    };
    for (std::size_t s = 0; s < sides.size(); ++s)
    {
        const float x0 = s == 0 ? -2.0f : 1.0f;
        const float positions[] = {x0, 0, 0, x0, 1, 0, x0 + 1, 0, 0, x0 + 1, 1, 0}, coordinates[] = {0, 1, 0, 0, 1, 1, 1, 0},
                    mirrored[] = {1, 1, 1, 0, 0, 1, 0, 0};
        const std::uint16_t indices[] = {0, 2, 1, 1, 2, 3};
        std::string mesh = R"({"primitives":[{"attributes":{"POSITION":)" +
                           add(positions, 48, "5126,\"type\":\"VEC3\",\"count\":4,\"min\":[" + std::to_string(x0) + ",0,0],\"max\":[" + std::to_string(x0 + 1) + ",1,0]");
        if (sides[s].coordinates)
            mesh += R"(,"TEXCOORD_0":)" + add(coordinates, 32, R"(5126,"type":"VEC2","count":4)") + R"(,"TEXCOORD_1":)" +
                    add(mirrored, 32, R"(5126,"type":"VEC2","count":4)");
        if (!sides[s].colours.empty())
            mesh += R"(,"COLOR_0":)" + add(sides[s].colours.data(), 48, R"(5126,"type":"VEC3","count":4)");
        mesh += R"(},"indices":)" + add(indices, 6u * sides[s].triangles, R"(5123,"type":"SCALAR","count":)" + std::to_string(3 * sides[s].triangles));
        if (!sides[s].material.empty())
        {
            mesh += R"(,"material":)" + std::to_string(materialCount);
            materials += (materialCount++ ? "," : "") + sides[s].material;
        }
        meshes += (s ? "," : "") + mesh + "}]}";
    }
    Write(f.Path("m.bin"), bin);
    Write(f.Path("m.gltf"), R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0)" + std::string(sides.size() > 1 ? ",1" : "") +
                                R"(]}],"nodes":[{"mesh":0})" + (sides.size() > 1 ? R"(,{"mesh":1})" : "") + R"(],"meshes":[)" + meshes + "]" +
                                (materials.empty() ? "" : R"(,"materials":[)" + materials + "]") + extra +
                                R"(,"buffers":[{"uri":"m.bin","byteLength":)" + std::to_string(bin.size()) + R"(}],"bufferViews":[)" +
                                views + R"(],"accessors":[)" + accessors + "]}");
}

void WritePly(const TempFolder& f, std::size_t count, CornerOf corner)
{
    std::string ply = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(3 * count) +
                      "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\nproperty uchar green\n"
                      "property uchar blue\nelement face " + std::to_string(count) + "\nproperty list uchar int vertex_indices\nend_header\n";
    float position[3];
    std::uint8_t rgb[3];
    for (std::size_t k = 0; k < 3 * count; ++k)
    {
        corner(k / 3, int(k % 3), position, rgb);
        ply.append(reinterpret_cast<const char*>(position), 12).append(reinterpret_cast<const char*>(rgb), 3);
    }
    for (std::int32_t k = 0; k < std::int32_t(3 * count); k += 3)
    {
        const std::int32_t face[3] = {k, k + 1, k + 2};
        ply.append(1, '\3').append(reinterpret_cast<const char*>(face), 12);
    }
    Write(f.Path("m.ply"), ply);
}
