#include "ChildProcess.h"
#include "MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
const wchar_t Child[] = L"support_test_child.exe";

DWORD ExitCodeOf(const std::wstring& arguments, const std::wstring& directory = L"",
                 const std::vector<std::wstring>& environment = {})
{
    ChildProcess child;
    if (!child.Start(Child, directory, arguments, environment))
        return 0xFFFFFFFF;
    DWORD exitCode = 0xFFFFFFFF;
    if (!child.WaitForExit(10000, exitCode))
        return 0xFFFFFFFE;
    return exitCode;
}
}

TEST(ChildProcess, PassesArgumentsAndReportsTheExitCode)
{
    EXPECT_EQ(ExitCodeOf(L"exit 42"), 42u);
    EXPECT_EQ(ExitCodeOf(L"exit 0"), 0u);
}

TEST(ChildProcess, StartsInTheGivenDirectoryResolvedFromOurs)
{
    CreateDirectoryW(L"child_directory", nullptr);
    std::ofstream(L"child_directory/marker.txt") << "here";

    // The program's path stays relative to this process, not to the child's directory.
    EXPECT_EQ(ExitCodeOf(L"file marker.txt", L"child_directory"), 0u);
    EXPECT_EQ(ExitCodeOf(L"file marker.txt"), 1u);
    ChildProcess child;
    EXPECT_FALSE(child.Start(L"no_such_program.exe", L""));
    EXPECT_EQ(child.Handle(), nullptr);
}

TEST(ChildProcess, AddsAndReplacesEnvironmentVariables)
{
    SetEnvironmentVariableW(L"VEXELO_CHILD_INHERITED", L"9");
    SetEnvironmentVariableW(L"VEXELO_CHILD_REPLACED", L"1");

    EXPECT_EQ(ExitCodeOf(L"env VEXELO_CHILD_INHERITED"), 9u);
    EXPECT_EQ(ExitCodeOf(L"env VEXELO_CHILD_ADDED", L"", {L"VEXELO_CHILD_ADDED=17"}), 17u);
    EXPECT_EQ(ExitCodeOf(L"env vexelo_child_replaced", L"", {L"VEXELO_CHILD_REPLACED=5"}), 5u);
    EXPECT_EQ(ExitCodeOf(L"env VEXELO_CHILD_ADDED"), 255u);
}

TEST(ChildProcess, FindsItsWindowByClassAndTitle)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(Child, L"", L"window VexeloChildClass \"Child Title\""));

    const HWND window = child.WaitForWindow(L"VexeloChildClass", L"Child Title", 10000);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(child.WaitForWindow(nullptr, L"Child Title", 0), window);
    EXPECT_EQ(child.WaitForWindow(L"VexeloChildClass", nullptr, 0), window);
    EXPECT_EQ(child.WaitForWindow(L"VexeloChildClass", L"Other Title", 100), nullptr);

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 0;
    ASSERT_TRUE(child.WaitForExit(10000, exitCode));
    EXPECT_EQ(exitCode, 3u);
}

TEST(ChildProcess, TerminatesWhatStillRuns)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(Child, L"", L"wait"));
    DWORD exitCode = 0;
    EXPECT_FALSE(child.WaitForExit(100, exitCode));
    HANDLE process = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), child.Handle(), GetCurrentProcess(), &process, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    child.Terminate();
    EXPECT_EQ(child.Handle(), nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, ChildProcess::TerminatedExitCode);
    CloseHandle(process);

    // A process that ended shows no window: the wait ends early.
    ASSERT_TRUE(child.Start(Child, L"", L"exit 0"));
    const DWORD start = GetTickCount();
    EXPECT_EQ(child.WaitForWindow(nullptr, nullptr, 10000), nullptr);
    EXPECT_LT(GetTickCount() - start, 9000u);
}

TEST(MessageBoxWatcherOfChild, SeesOnlyTheBoxesOfItsProcess)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(Child, L"", L"box Error \"Could not initialize the input object.\""));
    MessageBoxWatcher childBoxes(child.Id());
    MessageBoxWatcher ownBoxes;

    EXPECT_EQ(MessageBoxW(nullptr, L"own", L"Own", MB_OK), IDOK);
    DWORD exitCode = 0;
    ASSERT_TRUE(child.WaitForExit(10000, exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(IDOK));

    const std::vector<SeenMessageBox> seen = childBoxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].processId, child.Id());
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Could not initialize the input object.");
    ASSERT_EQ(ownBoxes.Seen().size(), 1u);
    EXPECT_EQ(ownBoxes.Seen()[0].text, L"own");
}
