#pragma once

#include "TestDevice.h"

#include <gtest/gtest.h>

// One device per test suite (creating one under Wine takes seconds), its
// creating calls hooked for the fault injection; every test starts from a
// cleared context.
class GpuTest : public ::testing::Test
{
protected:
    GpuTest();

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Both pipelines ask for the same sampler: trilinear, wrapping, every level. The
    // device hands back a normalised description, so the one asked for is checked.
    static void ExpectTheSampler();

    // Matrices the shaders take: the identity, and one whose entries count up
    // from first, so that every entry is told apart where it lands.
    static D3DXMATRIX Identity();
    static D3DXMATRIX Counting(float first);

    TestDevice& gpu;

private:
    static TestDevice* shared;
};
