#include "GpuTest.h"

#include "FaultInjection.h"

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
    FaultInjection::HookObject(gpu.Device());
}

void GpuTest::ExpectTheSampler()
{
    const std::vector<D3D11_SAMPLER_DESC> samplers = FaultInjection::Samplers();
    ASSERT_EQ(samplers.size(), 1u);
    const D3D11_SAMPLER_DESC& desc = samplers[0];
    EXPECT_EQ(desc.Filter, D3D11_FILTER_MIN_MAG_MIP_LINEAR);
    EXPECT_EQ(desc.AddressU, D3D11_TEXTURE_ADDRESS_WRAP);
    EXPECT_EQ(desc.AddressV, D3D11_TEXTURE_ADDRESS_WRAP);
    EXPECT_EQ(desc.AddressW, D3D11_TEXTURE_ADDRESS_WRAP);
    EXPECT_EQ(desc.MipLODBias, 0.0f);
    EXPECT_EQ(desc.MaxAnisotropy, 1u);
    EXPECT_EQ(desc.ComparisonFunc, D3D11_COMPARISON_ALWAYS);
    for (float channel : desc.BorderColor)
        EXPECT_EQ(channel, 0.0f);
    EXPECT_EQ(desc.MinLOD, 0.0f);
    EXPECT_EQ(desc.MaxLOD, 3.402823466e+38f);
}

D3DXMATRIX GpuTest::Identity()
{
    D3DXMATRIX matrix;
    D3DXMatrixIdentity(&matrix);
    return matrix;
}

D3DXMATRIX GpuTest::Counting(float first)
{
    D3DXMATRIX matrix;
    for (int i = 0; i < 16; ++i)
        matrix.m[i / 4][i % 4] = first + static_cast<float>(i);
    return matrix;
}
