// How both shader pipelines react to missing, broken and mismatched source
// files. Each test runs in a sandbox whose ../Engine/ holds only what it needs.
#include "LightShader.h"
#include "TextureShader.h"

#include "CompilerText.h"
#include "GpuTest.h"
#include "MessageBoxWatcher.h"
#include "FaultInjection.h"
#include "TempFolder.h"

#include <d3dx11.h>
#include <gtest/gtest.h>

#include <string>

namespace
{
const wchar_t CompileErrorText[] = L"Error compiling shader.  Check shader-error.txt for message.";

const char BrokenPixelShader[] =
    "float4 LightPixelShader(float4 position : SV_POSITION) : SV_TARGET\n"
    "{\n"
    "    return undeclaredColour;\n"
    "}\n";

// Reads NORMAL as the model's layout has it, but also a COLOR it does not provide.
const char MismatchedVertexShader[] =
    "float4 LightVertexShader(float3 position : POSITION, float3 normal : NORMAL,\n"
    "                         float4 colour : COLOR) : SV_POSITION\n"
    "{\n"
    "    return float4(position + normal, 1.0f) * colour;\n"
    "}\n";

// What the compiler says about a file, as the text-mode stream writes it out.
std::string CompilerTextWithPlatformLineEnds(const wchar_t* file, const char* function, const char* profile)
{
    return CompilerText::WithPlatformLineEnds(
        CompilerText::Of(file, function, profile, D3D10_SHADER_ENABLE_STRICTNESS));
}

class ShaderFilesTest : public GpuTest
{
protected:
    void SetUp() override
    {
        GpuTest::SetUp();
        ASSERT_TRUE(build.Enter("bin"));
    }

    void ExpectOneBox(const wchar_t* text, const wchar_t* caption)
    {
        const std::vector<SeenMessageBox> seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, text);
        EXPECT_EQ(seen[0].caption, caption);
        EXPECT_EQ(seen[0].owner, gpu.Window());
    }

    TempFolder build;  // ../Engine/ holds only what a test puts there
    MessageBoxWatcher watcher;
};
}

TEST_F(ShaderFilesTest, BothLightShaderFilesMissingReportsOnlyTheVertexShader)
{
    LightShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    shader.Shutdown();

    ExpectOneBox(L"../Engine/light.vs", L"Missing Shader File");
    EXPECT_FALSE(build.Exists("bin/shader-error.txt"));
}

TEST_F(ShaderFilesTest, MissingLightPixelShaderIsNamedInItsBox)
{
    ASSERT_TRUE(build.Copy("Engine/light.vs", ".."));
    LightShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    shader.Shutdown();

    ExpectOneBox(L"../Engine/light.ps", L"Missing Shader File");
}

TEST_F(ShaderFilesTest, BrokenShaderReplacesTheErrorFileWithTheCompilerText)
{
    ASSERT_TRUE(build.Copy("Engine/light.vs", ".."));
    ASSERT_FALSE(build.Write("Engine/light.ps", BrokenPixelShader).empty());
    ASSERT_FALSE(build.Write("bin/shader-error.txt", std::string(20000, 'x') + "older message").empty());
    const std::string expected = CompilerTextWithPlatformLineEnds(L"../Engine/light.ps", "LightPixelShader", "ps_5_0");
    ASSERT_FALSE(expected.empty());
    LightShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    shader.Shutdown();

    ExpectOneBox(CompileErrorText, L"../Engine/light.ps");
    EXPECT_EQ(build.Read("bin/shader-error.txt"), expected);
}

TEST_F(ShaderFilesTest, UnwritableErrorFileStillShowsTheBox)
{
    ASSERT_TRUE(build.Copy("Engine/light.vs", ".."));
    ASSERT_FALSE(build.Write("Engine/light.ps", BrokenPixelShader).empty());
    ASSERT_TRUE(CreateDirectoryW(L"shader-error.txt", nullptr));
    LightShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    shader.Shutdown();

    ExpectOneBox(CompileErrorText, L"../Engine/light.ps");
}

TEST_F(ShaderFilesTest, LayoutMismatchFailsSilentlyAndShutdownReleasesTheShadersMadeSoFar)
{
    ASSERT_FALSE(build.Write("Engine/light.vs", MismatchedVertexShader).empty());
    ASSERT_TRUE(build.Copy("Engine/light.ps", ".."));
    const ULONG before = FaultInjection::RefCount(gpu.Device());
    LightShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    EXPECT_GT(FaultInjection::RefCount(gpu.Device()), before) << "both shaders exist";
    shader.Shutdown();
    shader.Shutdown();

    EXPECT_EQ(FaultInjection::RefCount(gpu.Device()), before);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(ShaderFilesTest, TexturePixelShaderMissingBesideItsVertexShaderIsNamedInItsBox)
{
    ASSERT_TRUE(build.Copy("Engine/texture.vs", ".."));
    TextureShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    shader.Shutdown();

    ExpectOneBox(L"../Engine/texture.ps", L"Missing Shader File");
}

TEST_F(ShaderFilesTest, BrokenTextureShaderIsReportedTheSameWay)
{
    ASSERT_FALSE(build.Write("Engine/texture.vs", "this is not HLSL\n").empty());
    ASSERT_TRUE(build.Copy("Engine/texture.ps", ".."));
    const std::string expected =
        CompilerTextWithPlatformLineEnds(L"../Engine/texture.vs", "TextureVertexShader", "vs_5_0");
    TextureShader shader;

    EXPECT_FALSE(shader.Initialize(gpu.Device(), gpu.Window()));
    shader.Shutdown();

    ExpectOneBox(CompileErrorText, L"../Engine/texture.vs");
    EXPECT_EQ(build.Read("bin/shader-error.txt"), expected);
}
