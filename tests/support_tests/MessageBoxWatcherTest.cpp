#include "MessageBoxWatcher.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

TEST(MessageBoxWatcher, RecordsAndDismissesABoxOfThisThread)
{
    TestWindow owner;
    MessageBoxWatcher watcher;

    const int pressed = MessageBoxW(owner.Handle(), L"Could not initialize Direct3D.", L"Error", MB_OK);

    EXPECT_EQ(pressed, IDOK);
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].processId, GetCurrentProcessId());
    EXPECT_EQ(seen[0].owner, owner.Handle());
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Could not initialize Direct3D.");
}

TEST(MessageBoxWatcher, KeepsOrderAndPressesTheDefaultButton)
{
    MessageBoxWatcher watcher;

    EXPECT_EQ(MessageBoxW(nullptr, L"first", L"One", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"second\nline", L"Two", MB_YESNO | MB_DEFBUTTON2), IDNO);

    ASSERT_TRUE(watcher.WaitForCount(2, 1000));
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"One");
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_EQ(seen[1].caption, L"Two");
    EXPECT_EQ(seen[1].text, L"second\nline");
}

TEST(MessageBoxWatcher, WaitForCountTimesOutWithoutBoxes)
{
    MessageBoxWatcher watcher;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(watcher.WaitForCount(1, 200));
    EXPECT_GE(GetTickCount() - start, 150u);
    EXPECT_TRUE(watcher.Seen().empty());
}
