// The model's turn: one step per scene pass from zero at program start, two
// passes per frame. The angle belongs to the process, so this suite has a
// program of its own.
#include "SceneRendererTest.h"

#include "BufferReadback.h"
#include "ComPtr.h"
#include "FaultInjection.h"

#include <d3dx10math.h>

#include <cstdint>
#include <cstring>

namespace
{
float FromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

const float Step = FromBits(0x3C80ADFD);  // 0.015707964, pi * 0.005 in single precision

// Sums of the step in single precision: the 399th pass is still short of
// 2 pi (6.2831855), the 400th passes it and loses one full turn.
const float After398Passes = FromBits(0x40C80E83);  // 6.25177145
const float After399Passes = FromBits(0x40C88F31);  // 6.26747942
const float After400Passes = FromBits(0x36000000);  // 1.9073486e-06

const char Map[] = "ID3D11DeviceContext::Map";

class ScenePass : public SceneRendererTest
{
protected:
    // A frame that fails at the failAt-th creating call; each pass maps the
    // light shader's two buffers, so failing at 1 ends it in its first pass
    // and at 3 in its second, each time after the pass turned the model.
    void FailFrameAt(int failAt)
    {
        renderer.Frame();
        FaultInjection::Arm(failAt);
        EXPECT_FALSE(renderer.Render());
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::FailedCall(), Map);
    }
};
}

TEST_F(ScenePass, TheFirstPassDrawsOneStepOnAndThe400thWrapsTheTurn)
{
    ASSERT_EQ(ModelRotation(), 0.0f) << "an earlier test of this process has drawn";
    ASSERT_TRUE(renderer.Initialize(Width, Height, window.Handle()));
    ID3D11Device* device = FaultInjection::LastDevice();
    ComPtr<ID3D11DeviceContext> context;
    device->GetImmediateContext(context.Put());

    // The second pass fails before it uploads anything: the vertex stage still
    // holds the transposed matrices the first pass drew with.
    FailFrameAt(3);
    ComPtr<ID3D11Buffer> constants;
    context->VSGetConstantBuffers(0, 1, constants.Put());
    BufferReadback matrices;
    ASSERT_TRUE(matrices.Read(device, context.Get(), constants.Get()));
    D3DXMATRIX world;
    D3DXMatrixRotationY(&world, Step);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(matrices.At<float>(row * 4 + column), world.m[column][row]) << row << "," << column;
    EXPECT_EQ(matrices.At<float>(16 + 2 * 4 + 3), 5.0f) << "the view of the camera at z = -5";
    EXPECT_EQ(ModelRotation(), Step + Step);

    bool drawn = true;
    for (int frame = 0; frame < 198; ++frame)
        drawn = renderer.Frame() && renderer.Render() && drawn;
    EXPECT_TRUE(drawn);
    EXPECT_EQ(ModelRotation(), After398Passes);

    FailFrameAt(1);
    EXPECT_EQ(ModelRotation(), After399Passes);
    FailFrameAt(1);
    EXPECT_EQ(ModelRotation(), After400Passes);
    EXPECT_GT(ModelRotation(), 0.0f);
}
