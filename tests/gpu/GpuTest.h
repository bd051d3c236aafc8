#pragma once

#include "TestDevice.h"

#include <gtest/gtest.h>

// One device per test suite (creating one under Wine takes seconds); every
// test starts from a cleared context.
class GpuTest : public ::testing::Test
{
protected:
    GpuTest();

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    TestDevice& gpu;

private:
    static TestDevice* shared;
};
