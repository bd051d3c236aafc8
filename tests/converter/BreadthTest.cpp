// Every model of Debian's assimp-testmodels in the folders of the formats
// users bring most, and every file of its folder of broken ones: each
// converts to a file Engine's reader takes, or fails with 1 and one line
// that names it. None crashes, hangs or leaves a file behind.
#include "ConverterRun.h"
#include "ModelFileReader.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace
{
const char* const ModelsFolder = "/usr/share/assimp/models";
const char* const Folders[] = {"OBJ", "PLY", "STL", "glTF2", "3DS", "Collada", "FBX", "invalid"};
// What lies beside the models: textures, materials, buffers, shaders, notes.
const char* const Companions[] = {".jpg", ".png", ".tga", ".mtl", ".bin", ".txt", ".md", ".vert", ".frag", ""};
const int TimeLimitSeconds = 20;

std::vector<std::filesystem::path> Inputs(const std::string& folder)
{
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(ModelsFolder) + "/" + folder))
    {
        if (!entry.is_regular_file())
            continue;
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool companion = std::find(std::begin(Companions), std::end(Companions), extension) !=
                               std::end(Companions);
        // Files without an extension are models only where they test format detection.
        const bool detection = extension.empty() && entry.path().filename().string().find("ormatDetection") !=
                                                        std::string::npos;
        if (folder == "invalid" || !companion || detection)
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Reader accepts it, three vertices a triangle, unit normals, largest extent 2.
void ExpectEngineModel(const std::string& path, long long triangles, const std::string& input)
{
    int count = 0;
    ModelVertex* list = nullptr;
    ASSERT_TRUE(ModelFileReader::ReadFile(path.c_str(), count, list)) << input;
    EXPECT_EQ(count, 3 * triangles) << input;
    float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF}, high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
    int badNormals = 0;
    for (int i = 0; i < count; ++i)
    {
        const ModelVertex& v = list[i];
        const float position[3] = {v.x, v.y, v.z};
        for (int axis = 0; axis < 3; ++axis)
        {
            low[axis] = std::fmin(low[axis], position[axis]);
            high[axis] = std::fmax(high[axis], position[axis]);
        }
        badNormals += !(std::fabs(std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz) - 1) <= 1e-5f);
    }
    delete[] list;
    EXPECT_EQ(badNormals, 0) << input;
    const float extent = std::fmax(high[0] - low[0], std::fmax(high[1] - low[1], high[2] - low[2]));
    EXPECT_NEAR(extent, 2, 1e-5) << input;
}
}

TEST(ConverterBreadth, EveryTestModelConvertsOrFailsCleanly)
{
    ASSERT_TRUE(std::filesystem::is_directory(ModelsFolder)) << "assimp-testmodels is missing: run tools/setup";
    ScratchFolder scratch;
    const std::string output = scratch.Path("model.txt");
    int converted = 0;
    std::map<std::string, int> causes;
    std::string failures;
    for (const char* folder : Folders)
        for (const std::filesystem::path& path : Inputs(folder))
        {
            const std::string input = path.string();
            const ConverterRun run = ConverterRun::Start({input, output}, scratch.Path(), TimeLimitSeconds);
            if (run.exitCode == 0)
            {
                ++converted;
                ExpectEngineModel(output, run.Triangles(), input);
                std::filesystem::remove(output);
                continue;
            }
            EXPECT_EQ(run.exitCode, 1) << input << ": " << run.Describe();
            const std::string start = "vexelo-model: " + input + ": ";
            EXPECT_EQ(run.err.rfind(start, 0), 0u) << run.err;
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
            EXPECT_EQ(run.out, "") << input;
            EXPECT_TRUE(scratch.Names().empty()) << input << " left a file behind";
            const std::string cause = run.err.substr(std::min(start.size(), run.err.size()));
            ++causes[cause.substr(0, std::min({cause.find(':'), cause.find(" ("), cause.find('\n')}))];
            failures += "  " + path.lexically_relative(ModelsFolder).string() + ": " + cause;
        }

    int failed = 0;
    for (const auto& cause : causes)
        failed += cause.second;
    std::printf("%d test models: %d converted, %d failed\n", converted + failed, converted, failed);
    for (const auto& cause : causes)
        std::printf("  %3d %s\n", cause.second, cause.first.c_str());
    std::printf("%s", failures.c_str());
    EXPECT_GT(converted, 100);
}
