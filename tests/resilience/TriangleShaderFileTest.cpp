// Vexelo-02-Triangle started in a non-ASCII working directory whose
// "shaders.shader" is empty, binary garbage, enormous, floods the compiler
// with warnings or is too large to read: it draws, or it shows its one box
// and ends with 1 - never a crash or a hang.
#include "ChildProcess.h"
#include "HostileFiles.h"
#include "MessageBoxWatcher.h"
#include "ProgramProbe.h"
#include "ScreenCapture.h"
#include "TempFolder.h"
#include "TrianglePicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const DWORD TimeoutMs = 30000;
const size_t Enormous = 32u << 20;
const uint64_t TooLargeToRead = 300ull << 20;
const wchar_t CompileFailure[] = L"Could not compile VShader (vs_4_0) from shaders.shader:\n\n";
const wchar_t ReadFailure[] = L"Could not compile VShader (vs_4_0) from shaders.shader (error 0x800700DF).";

enum class Outcome
{
    Draws,
    CompileError,  // the box carries the compiler's text
    Unreadable     // the box carries the reading error
};

struct TriangleShaderCase
{
    const char* name;
    FileWriter write;
    Outcome outcome;
};

void PrintTo(const TriangleShaderCase& shaderFile, std::ostream* out)
{
    *out << shaderFile.name;
}

void ExpectTheTriangle(ChildProcess& triangle, const ProgramProbe& probe)
{
    const HWND window = triangle.WaitForWindow(TrianglePicture::MainClass, nullptr, TimeoutMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(probe.WaitForPresents(20, TimeoutMs));
    ScreenCapture screen;
    ASSERT_TRUE(screen.CaptureClient(window));
    const TrianglePicture picture(screen);
    EXPECT_NEAR(picture.left, TrianglePicture::Left, 2.0);
    EXPECT_NEAR(picture.right, TrianglePicture::Right, 2.0);
    EXPECT_NEAR(picture.top, TrianglePicture::Top, 2.0);
    EXPECT_NEAR(picture.bottom, TrianglePicture::Bottom, 2.0);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

class TriangleShaderFiles : public ::testing::TestWithParam<TriangleShaderCase>
{
};
}

TEST_P(TriangleShaderFiles, DrawOrFailCleanlyInANonAsciiFolder)
{
    const TriangleShaderCase& shaderFile = GetParam();
    const std::string real = TempFolder::ReadBytes(L"shaders.shader");
    ASSERT_FALSE(real.empty());
    TempFolder folder(NonAsciiName);
    ASSERT_TRUE(folder.Ok());
    ASSERT_TRUE(shaderFile.write(folder.Path(L"shaders.shader"), real));

    ChildProcess triangle;
    ProgramProbe probe;
    ASSERT_TRUE(probe.Start(triangle, L"Vexelo-02-Triangle.exe", folder.Path()));
    MessageBoxWatcher boxes(triangle.Id());
    if (shaderFile.outcome == Outcome::Draws)
        ExpectTheTriangle(triangle, probe);

    DWORD exitCode = ChildProcess::TerminatedExitCode;
    ASSERT_TRUE(triangle.WaitForExit(TimeoutMs, exitCode)) << "the program did not end";
    const std::vector<SeenMessageBox> seen = boxes.Seen();
    switch (shaderFile.outcome)
    {
    case Outcome::Draws:
        EXPECT_EQ(exitCode, 0u);
        EXPECT_TRUE(seen.empty());
        break;
    case Outcome::CompileError:
        EXPECT_EQ(exitCode, 1u) << "a crash ends with an exception code instead";
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text.rfind(CompileFailure, 0), 0u) << "the box does not begin as it should";
        EXPECT_GT(seen[0].text.size(), std::wstring(CompileFailure).size()) << "no compiler text";
        EXPECT_LT(seen[0].text.size(), 2200u) << "a long compiler report is cut for the box";
        break;
    case Outcome::Unreadable:
        EXPECT_EQ(exitCode, 1u) << "a crash ends with an exception code instead";
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text, ReadFailure);
        break;
    }
}

const TriangleShaderCase TriangleShaderCases[] = {
    {"UnchangedFile", Unchanged(), Outcome::Draws},
    {"EnormousButValid", Padded(Enormous), Outcome::Draws},
    {"Empty", Content(""), Outcome::CompileError},
    {"Garbage", Garbage(65536, 3), Outcome::CompileError},
    {"EnormousGarbage", Garbage(Enormous, 4), Outcome::CompileError},
    // Millions of characters of compiler text in one box.
    {"WarningFlood", Flood(100000), Outcome::CompileError},
    {"TooLargeToRead", ExtendedTo(TooLargeToRead), Outcome::Unreadable},
};

INSTANTIATE_TEST_SUITE_P(EachFile, TriangleShaderFiles, ::testing::ValuesIn(TriangleShaderCases),
                         [](const ::testing::TestParamInfo<TriangleShaderCase>& info) {
                             return std::string(info.param.name);
                         });
