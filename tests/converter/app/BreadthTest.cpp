// Debian's Assimp test models, whole and damaged: each converts to what
// Engine reads, or fails with one line and leaves nothing behind.
#include "ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace
{
// The small models of Debian's assimp-testmodels in the formats users bring,
// and those whose importers crashed or hung on damaged files.
std::vector<fs::path> SmallTestModels()
{
    const std::regex companion(R"(\.(jpg|jpeg|png|tga|bmp|gif|dds|mtl|bin|txt|md|vert|frag)$|^[^.]*$)", std::regex::icase);
    std::vector<fs::path> models;
    for (const char* folder : {"OBJ", "PLY", "STL", "glTF2", "3DS", "Collada", "FBX", "ASE", "MDL", "OpenGEX", "3MF", "COB"})
        for (const auto& entry : fs::recursive_directory_iterator("/usr/share/assimp/models/" + std::string(folder)))
            if (entry.is_regular_file() && entry.file_size() < 400000 &&
                !std::regex_search(entry.path().filename().string(), companion))
                models.push_back(entry.path());
    std::sort(models.begin(), models.end());
    return models;
}

// The ways files arrive damaged: a few bytes changed, cut short, a number
// no writer would write, a piece lost in the middle.
std::string Damaged(std::string bytes, int way, std::mt19937& random)
{
    const auto at = [&](std::size_t size) { return size == 0 ? 0 : random() % size; };
    const bool text = bytes.find('\0') == std::string::npos;
    switch (way)
    {
    case 0:
        for (int n = 1 + random() % 4; n > 0 && !bytes.empty(); --n)
            bytes[at(bytes.size())] = static_cast<char>(random());
        return bytes;
    case 1:
        return bytes.substr(0, at(bytes.size()));
    case 2:
        if (text)
        {
            const char* numbers[] = {"2147483647", "-2147483648", "4294967295", "99999999999999999999", "1e38", "-1"};
            std::size_t start = bytes.find_first_of("0123456789", at(bytes.size()));
            if (start == std::string::npos)
                start = bytes.find_first_of("0123456789");
            if (start == std::string::npos)
                return bytes;
            const std::size_t end = bytes.find_first_not_of("0123456789.", start);
            return bytes.replace(start, (end == std::string::npos ? bytes.size() : end) - start, numbers[random() % 6]);
        }
        else
        {
            const std::uint32_t numbers[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x40000000u, 0x00FFFFFFu};
            const std::uint32_t number = numbers[random() % 5];
            const std::size_t start = bytes.size() < 4 ? 0 : at(bytes.size() - 3) & ~std::size_t(3);
            for (std::size_t i = 0; i < 4 && start + i < bytes.size(); ++i)
                bytes[start + i] = static_cast<char>(number >> (8 * i));
            return bytes;
        }
    default:
    {
        const std::size_t start = at(bytes.size()), length = 1 + at(std::min<std::size_t>(bytes.size() - start, 256));
        return bytes.erase(start, length);
    }
    }
}
}

// A few hundred damaged copies of the test models, made with a fixed seed:
// each converts or fails with 1 and one line that names it, and leaves
// nothing beside it, whatever the import library does with it.
TEST(ConverterBreadth, DamagedCopiesOfTheTestModelsEndWithOneLine)
{
    const std::vector<fs::path> models = SmallTestModels();
    ASSERT_GT(models.size(), 100u) << "assimp-testmodels is missing: run tools/setup";
    std::mt19937 random(230);
    std::map<std::string, int> outcomes;
    TempFolder folder;
    for (int copy = 0; copy < 300; ++copy)
    {
        const fs::path& model = models[random() % models.size()];
        const int way = copy % 4;
        const std::string name = "damaged-" + std::to_string(copy) + model.extension().string();
        SCOPED_TRACE(model.string() + " as " + name);
        Write(folder.Path(name), Damaged(Read(model), way, random));
        const Outcome run = Convert(folder.Path(), {"--time-limit", "5", folder.Path(name), folder.Path("out.txt")}, 30);
        ++outcomes[run.code == 0 ? "converted" : run.err.find("crashed") != std::string::npos ? "crashed"
                                             : run.err.find("no result") != std::string::npos ? "no result" : "failed"];
        EXPECT_TRUE(run.code == 0 || run.code == 1) << run.code << ": " << run.err;
        if (run.code != 0)
        {
            EXPECT_EQ(run.err.rfind("vexelo-model: " + folder.Path(name).string() + ": ", 0), 0u) << run.err;
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
            EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{name}) << "left behind";
        }
        fs::remove_all(folder.Path());
        fs::create_directory(folder.Path());
    }
    for (const auto& outcome : outcomes)
        std::printf("  %3d %s\n", outcome.second, outcome.first.c_str());
}

// Every model of Debian's assimp-testmodels in the folders of the formats
// users bring most, and every file of its folder of broken ones: each
// converts to what Engine's reader takes, with unit normals, a largest
// extent of 2 and a texture the project's DDS reader takes, or fails with 1
// and a line that names it. None crashes,
// hangs or leaves a file behind.
TEST(ConverterBreadth, EveryTestModelConvertsOrFailsCleanly)
{
    const std::string models = "/usr/share/assimp/models/";
    ASSERT_TRUE(fs::is_directory(models)) << "assimp-testmodels is missing: run tools/setup";
    std::vector<fs::path> inputs;
    for (const char* folder : {"OBJ", "PLY", "STL", "glTF2", "3DS", "Collada", "FBX", "invalid"})
        for (const auto& entry : fs::recursive_directory_iterator(models + folder))
        {
            // Beside the models: textures, materials, buffers, shaders, notes.
            const std::string name = entry.path().filename().string();
            const bool companion = std::regex_search(name, std::regex(R"(\.(jpg|png|tga|mtl|bin|txt|md|vert|frag)$|^[^.]*$)",
                                                                     std::regex::icase));
            if (entry.is_regular_file() && (folder == std::string("invalid") || !companion ||
                                            name.find("ormatDetection") != std::string::npos))
                inputs.push_back(entry.path());
        }
    std::sort(inputs.begin(), inputs.end());

    TempFolder folder;
    std::map<std::string, int> causes;
    for (const fs::path& input : inputs)
    {
        SCOPED_TRACE(input.string());
        const Outcome run = Convert(folder.Path(), {input.string(), folder.Path("model.txt")});
        if (run.code == 0)
        {
            ++causes["converted"];
            const std::vector<ModelVertex> model = ReadModel(folder.Path("model.txt"));
            EXPECT_EQ(3 * Triangles(run), static_cast<long long>(model.size()));
            double extent = 0;
            Centre(model.data(), model.size(), extent);
            EXPECT_NEAR(extent, 2, 1e-5);
            EXPECT_TRUE(std::all_of(model.begin(), model.end(), [](const ModelVertex& v) {
                return std::fabs(Dot(NormalOf(v), NormalOf(v)) - 1) < 2e-5;
            }));
            const Texture texture = ReadTexture(folder.Path("model.dds"), false);
            EXPECT_FALSE(texture.levels.empty()) << "no texture the project's reader takes";
            EXPECT_TRUE(std::all_of(model.begin(), model.end(), [](const ModelVertex& v) {
                return std::isfinite(v.tu) && std::isfinite(v.tv);
            }));
            const std::size_t tiles = run.out.find(" tiles (");
            causes["converted, texture of several tiles"] += tiles != std::string::npos;
            fs::remove(folder.Path("model.txt"));
            fs::remove(folder.Path("model.dds"));
            continue;
        }
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_EQ(run.err.rfind("vexelo-model: " + input.string() + ": ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_TRUE(Names(folder.Path()).empty()) << "left behind";
        const std::string cause = run.err.substr(std::min(run.err.size(), 16 + input.string().size()));
        ++causes[cause.substr(0, std::min({cause.find(':'), cause.find(" ("), cause.find('\n')}))];
        std::printf("  %s: %s", input.lexically_relative(models).c_str(), cause.c_str());
    }
    std::printf("%zu test models:\n", inputs.size());
    for (const auto& cause : causes)
        std::printf("  %3d %s\n", cause.second, cause.first.c_str());
    EXPECT_GT(causes["converted"], 100);
}
