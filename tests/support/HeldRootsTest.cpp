#include "HeldRootsTest.h"

#include "FaultInjection.h"

void HeldRootsTest::SetUp()
{
    FaultInjection::Install();
    FaultInjection::ReleaseHeldRoots();
    FaultInjection::HoldRoots(true);
}

void HeldRootsTest::TearDown()
{
    FaultInjection::Disarm();
    FaultInjection::HoldRoots(false);
    ExpectRootsReleased();
}

size_t HeldRootsTest::ExpectRootsReleased()
{
    const auto roots = FaultInjection::ReleaseHeldRoots();
    for (const auto& root : roots)
        EXPECT_EQ(root.second, 0u) << root.first << " outlived the shut-down";
    return roots.size();
}
