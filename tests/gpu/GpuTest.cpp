#include "GpuTest.h"

TestDevice* GpuTest::shared = nullptr;

GpuTest::GpuTest() : gpu(*shared)
{
}

void GpuTest::SetUpTestSuite()
{
    shared = new TestDevice();
}

void GpuTest::TearDownTestSuite()
{
    delete shared;
    shared = nullptr;
}

void GpuTest::SetUp()
{
    ASSERT_TRUE(gpu.Ok()) << "device creation failed: 0x" << std::hex << gpu.Result();
    gpu.Context()->ClearState();
}
