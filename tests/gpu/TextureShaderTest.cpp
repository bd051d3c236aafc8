#include "TextureShader.h"

#include "BufferReadback.h"
#include "ComPtr.h"
#include "DebugWindow.h"
#include "DrawTarget.h"
#include "FaultInjection.h"
#include "PixelTexture.h"
#include "GpuTest.h"
#include "TestDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{
class TextureShaderTest : public GpuTest
{
protected:
    void SetUp() override
    {
        GpuTest::SetUp();
        if (HasFatalFailure())
            return;
        FaultInjection::Arm(0);  // records what set-up asks for
        ASSERT_TRUE(shader.Initialize(gpu.Device(), gpu.Window()));
        FaultInjection::Disarm();
    }
    void TearDown() override { shader.Shutdown(); }

    TextureShader shader;
};

const uint32_t Red = 0xFF0000FF, Green = 0xFF00FF00, Blue = 0xFFFF0000, White = 0xFFFFFFFF;

// 8 x 8 texels: red, green, blue and white quarters, so orientation shows.
std::vector<uint32_t> Quarters()
{
    std::vector<uint32_t> texels(64);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            texels[y * 8 + x] = y < 4 ? (x < 4 ? Red : Green) : (x < 4 ? Blue : White);
    return texels;
}

void ExpectColour(const DrawTarget& target, UINT x, UINT y, uint32_t rgba)
{
    const DrawTarget::Texel texel = target.At(x, y);
    EXPECT_NEAR(texel.r, static_cast<float>(rgba & 0xFF) / 255.0f, 1e-3f) << "pixel " << x << "," << y;
    EXPECT_NEAR(texel.g, static_cast<float>((rgba >> 8) & 0xFF) / 255.0f, 1e-3f) << "pixel " << x << "," << y;
    EXPECT_NEAR(texel.b, static_cast<float>((rgba >> 16) & 0xFF) / 255.0f, 1e-3f) << "pixel " << x << "," << y;
    EXPECT_NEAR(texel.a, 1.0f, 1e-3f) << "pixel " << x << "," << y;
}
}

TEST_F(TextureShaderTest, RenderWritesTheTransposedMatricesAndBindsTheTexture)
{
    PixelTexture texture(gpu.Device(), 1, 1, &Red);
    const D3DXMATRIX world = Counting(1.0f), view = Counting(-17.0f), projection = Counting(0.5f);

    ASSERT_TRUE(shader.Render(gpu.Context(), 0, world, view, projection, texture.View()));

    ComPtr<ID3D11Buffer> buffer;
    gpu.Context()->VSGetConstantBuffers(0, 1, buffer.Put());
    BufferReadback matrices;
    ASSERT_TRUE(buffer && matrices.Read(gpu.Device(), gpu.Context(), buffer.Get()));
    ASSERT_EQ(matrices.Size(), 192u);
    const D3DXMATRIX* sources[3] = {&world, &view, &projection};
    for (int field = 0; field < 3; ++field)
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                EXPECT_EQ(matrices.At<float>(field * 16 + row * 4 + column), sources[field]->m[column][row])
                    << "matrix " << field << " row " << row << " column " << column;

    ComPtr<ID3D11ShaderResourceView> bound;
    gpu.Context()->PSGetShaderResources(0, 1, bound.Put());
    EXPECT_EQ(bound.Get(), texture.View());
    ComPtr<ID3D11Buffer> pixelConstants;
    gpu.Context()->PSGetConstantBuffers(0, 1, pixelConstants.Put());
    EXPECT_FALSE(pixelConstants) << "the texture shader has no pixel-shader constants";
    ExpectTheSampler();
}

// The overlay as the scene draws it: the debug window's quad at (50, 50),
// the camera's view and the orthographic projection.
TEST_F(TextureShaderTest, DrawsTheDebugWindowQuadUprightOverItsPixelSquare)
{
    const UINT size = 200;
    DrawTarget target(gpu.Device(), size, size);
    ASSERT_TRUE(target.Ok());
    target.BindAndClear(gpu.Context(), 0.0f, 0.0f, 0.0f, 0.0f);
    const std::vector<uint32_t> texels = Quarters();
    PixelTexture texture(gpu.Device(), 8, 8, texels.data());
    DebugWindow quad;
    ASSERT_TRUE(quad.Initialize(gpu.Device(), size, size, 100, 100));
    ASSERT_TRUE(quad.Bind(gpu.Context(), 50, 50));

    D3DXMATRIX world, view, ortho;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 eye(0.0f, 0.0f, -5.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixOrthoLH(&ortho, static_cast<float>(size), static_cast<float>(size), 0.1f, 1000.0f);
    ASSERT_TRUE(shader.Render(gpu.Context(), quad.GetIndexCount(), world, view, ortho, texture.View()));
    quad.Shutdown();

    ASSERT_TRUE(target.Read(gpu.Device(), gpu.Context()));
    ExpectColour(target, 75, 75, Red);
    ExpectColour(target, 125, 75, Green);
    ExpectColour(target, 75, 125, Blue);
    ExpectColour(target, 125, 125, White);
    // Exactly pixels 50 to 149 both ways are covered.
    for (UINT i = 0; i < size; ++i)
    {
        const bool inside = i >= 50 && i < 150;
        EXPECT_EQ(target.At(i, 100).a, inside ? 1.0f : 0.0f) << "column " << i;
        EXPECT_EQ(target.At(100, i).a, inside ? 1.0f : 0.0f) << "row " << i;
    }
}

TEST_F(TextureShaderTest, IndexCountZeroDrawsNothingAndSucceeds)
{
    DrawTarget target(gpu.Device(), 8, 8);
    ASSERT_TRUE(target.Ok());
    target.BindAndClear(gpu.Context(), 0.5f, 0.25f, 0.125f, 1.0f);
    PixelTexture texture(gpu.Device(), 1, 1, &White);
    DebugWindow quad;
    ASSERT_TRUE(quad.Initialize(gpu.Device(), 8, 8, 8, 8));
    ASSERT_TRUE(quad.Bind(gpu.Context(), 0, 0));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);

    EXPECT_TRUE(shader.Render(gpu.Context(), 0, identity, identity, identity, texture.View()));
    quad.Shutdown();

    ASSERT_TRUE(target.Read(gpu.Device(), gpu.Context()));
    const DrawTarget::Texel texel = target.At(4, 4);
    EXPECT_EQ(texel.r, 0.5f);
    EXPECT_EQ(texel.g, 0.25f);
    EXPECT_EQ(texel.b, 0.125f);
}
