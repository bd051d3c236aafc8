#include "FailureSweep.h"

#include "FaultInjection.h"
#include "HeldRootsTest.h"

#include <gtest/gtest.h>

#include <utility>

FailureSweep::FailureSweep(std::function<bool()> setUpAndShutDown) : setUpAndShutDown(std::move(setUpAndShutDown))
{
}

FailureSweep::Run FailureSweep::RunFailing(int failAt)
{
    Run run;
    MessageBoxWatcher boxes;
    FaultInjection::Install();
    FaultInjection::HoldRoots(true);
    FaultInjection::Arm(failAt);
    run.succeeded = setUpAndShutDown();
    FaultInjection::Disarm();
    FaultInjection::HoldRoots(false);
    run.roots = HeldRootsTest::ExpectRootsReleased();
    run.failedCall = FaultInjection::FailedCall();
    run.calls = FaultInjection::Count();
    run.boxes = boxes.Seen();
    return run;
}

FailureSweep::Run FailureSweep::Clean()
{
    const Run run = RunFailing(0);
    log = FaultInjection::Calls();
    EXPECT_TRUE(run.succeeded) << "the set-up failed with nothing failed";
    EXPECT_TRUE(run.boxes.empty()) << "the set-up reported a failure with nothing failed";
    return run;
}

void FailureSweep::FailEach(const std::function<void(int k, const Run& run)>& check)
{
    ASSERT_FALSE(log.empty()) << "no clean run logged any creating call";
    for (int k = 1; k <= static_cast<int>(log.size()) && !::testing::Test::HasFailure(); ++k)
    {
        SCOPED_TRACE(::testing::Message() << "failing call " << k << ": " << log[k - 1]);
        const Run run = RunFailing(k);
        EXPECT_EQ(run.failedCall, log[k - 1]);
        EXPECT_FALSE(run.succeeded) << "set-up reported success";
        check(k, run);
    }
}
