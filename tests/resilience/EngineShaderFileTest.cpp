// The Engine's two shader pipelines given source files that are empty, binary
// garbage, enormous or too large to read, in a copy of the build layout under
// a non-ASCII folder: each works, or fails with its documented box and
// "shader-error.txt", and leaves nothing behind on the device.
#include "LightShader.h"
#include "TextureShader.h"

#include "CompilerText.h"
#include "FaultInjection.h"
#include "HostileFiles.h"
#include "MessageBoxWatcher.h"
#include "TempFolder.h"
#include "TestDevice.h"

#include <d3dx11.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const wchar_t CompileErrorText[] = L"Error compiling shader.  Check shader-error.txt for message.";
const size_t Enormous = 32u << 20;
// Above what the shader compiler is handed at all.
const uint64_t TooLargeToRead = 300ull << 20;

enum class Outcome
{
    Works,
    CompileError,  // the compiler's text in "shader-error.txt" and its box
    Unreadable     // the "Missing Shader File" box
};

struct ShaderFileCase
{
    const char* name;
    const char* file;  // in ../Engine/
    FileWriter write;  // over the sandbox's copy of the real one
    Outcome outcome;
};

void PrintTo(const ShaderFileCase& shaderFile, std::ostream* out)
{
    *out << shaderFile.name;
}

struct ShaderEntry
{
    const char* file;
    const char* function;
    const char* profile;
};

const ShaderEntry Entries[] = {
    {"light.vs", "LightVertexShader", "vs_5_0"},
    {"light.ps", "LightPixelShader", "ps_5_0"},
    {"texture.vs", "TextureVertexShader", "vs_5_0"},
    {"texture.ps", "TexturePixelShader", "ps_5_0"},
};

const ShaderEntry& EntryOf(const std::string& file)
{
    for (const ShaderEntry& entry : Entries)
        if (file == entry.file)
            return entry;
    return Entries[0];
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// What the compiler says about the file, as the text-mode stream writes it out.
std::string CompilerTextWithPlatformLineEnds(const std::string& file)
{
    const ShaderEntry& entry = EntryOf(file);
    return CompilerText::WithPlatformLineEnds(CompilerText::Of(Wide("../Engine/" + file).c_str(), entry.function,
                                                               entry.profile, D3D10_SHADER_ENABLE_STRICTNESS));
}

template <typename Shader>
bool InitializeAndShutdown(ID3D11Device* device, HWND window)
{
    Shader shader;
    const bool initialized = shader.Initialize(device, window);
    shader.Shutdown();
    return initialized;
}

class EngineShaderFiles : public ::testing::TestWithParam<ShaderFileCase>
{
protected:
    static void SetUpTestSuite() { gpu = new TestDevice(); }
    static void TearDownTestSuite()
    {
        delete gpu;
        gpu = nullptr;
    }

    static TestDevice* gpu;
};

TestDevice* EngineShaderFiles::gpu = nullptr;
}

TEST_P(EngineShaderFiles, WorkOrFailCleanlyInANonAsciiFolder)
{
    const ShaderFileCase& shaderFile = GetParam();
    ASSERT_TRUE(gpu->Ok());
    TempFolder build(NonAsciiName);
    ASSERT_TRUE(build.Enter("bin"));
    for (const ShaderEntry& entry : Entries)
        ASSERT_TRUE(build.Copy(std::string("Engine/") + entry.file, "..")) << entry.file;
    const std::wstring path = build.Path(std::string("Engine/") + shaderFile.file).wstring();
    ASSERT_TRUE(shaderFile.write(path, TempFolder::ReadBytes(path)));

    const ULONG deviceReferences = FaultInjection::RefCount(gpu->Device());
    MessageBoxWatcher boxes;
    const bool light = std::string(shaderFile.file).rfind("light", 0) == 0;
    const bool initialized = light ? InitializeAndShutdown<LightShader>(gpu->Device(), gpu->Window())
                                   : InitializeAndShutdown<TextureShader>(gpu->Device(), gpu->Window());
    EXPECT_EQ(FaultInjection::RefCount(gpu->Device()), deviceReferences) << "something outlived Shutdown";

    const std::wstring shaderName = L"../Engine/" + Wide(shaderFile.file);
    const std::vector<SeenMessageBox> seen = boxes.Seen();
    switch (shaderFile.outcome)
    {
    case Outcome::Works:
        EXPECT_TRUE(initialized);
        EXPECT_TRUE(seen.empty());
        EXPECT_FALSE(build.Exists("bin/shader-error.txt"));
        break;
    case Outcome::CompileError:
        EXPECT_FALSE(initialized);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, CompileErrorText);
        EXPECT_EQ(seen[0].caption, shaderName);
        EXPECT_EQ(seen[0].owner, gpu->Window());
        EXPECT_TRUE(build.Read("bin/shader-error.txt") == CompilerTextWithPlatformLineEnds(shaderFile.file))
            << "shader-error.txt is not the compiler's text";
        break;
    case Outcome::Unreadable:
        EXPECT_FALSE(initialized);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, shaderName);
        EXPECT_EQ(seen[0].caption, L"Missing Shader File");
        EXPECT_FALSE(build.Exists("bin/shader-error.txt"));
        break;
    }
}

const ShaderFileCase ShaderFileCases[] = {
    {"UnchangedFiles", "light.ps", Unchanged(), Outcome::Works},
    {"EmptyLightVertexShader", "light.vs", Content(""), Outcome::CompileError},
    {"GarbageLightPixelShader", "light.ps", Garbage(65536, 1), Outcome::CompileError},
    {"EnormousGarbageTextureVertexShader", "texture.vs", Garbage(Enormous, 2), Outcome::CompileError},
    // The compiler's text is tens of times the file's size; all of it is written.
    {"WarningFloodTexturePixelShader", "texture.ps", Flood(100000), Outcome::CompileError},
    {"EnormousButValidTexturePixelShader", "texture.ps", Padded(Enormous), Outcome::Works},
    {"TooLargeToReadLightVertexShader", "light.vs", ExtendedTo(TooLargeToRead), Outcome::Unreadable},
};

INSTANTIATE_TEST_SUITE_P(EachFile, EngineShaderFiles, ::testing::ValuesIn(ShaderFileCases),
                         [](const ::testing::TestParamInfo<ShaderFileCase>& info) {
                             return std::string(info.param.name);
                         });
