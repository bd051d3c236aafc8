#include "LightShader.h"

#include "BufferReadback.h"
#include "ComPtr.h"
#include "DrawTarget.h"
#include "FaultInjection.h"
#include "LitVertex.h"
#include "PixelTexture.h"
#include "GpuTest.h"
#include "TestDevice.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{
class LightShaderTest : public GpuTest
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

    // Three vertical strips over the whole target, each lit through its own normal.
    void BindStrips(const D3DXVECTOR3 normals[3])
    {
        LitVertex vertices[18];
        for (int strip = 0; strip < 3; ++strip)
        {
            const float x0 = -1.0f + 2.0f * static_cast<float>(strip) / 3.0f;
            const float x1 = -1.0f + 2.0f * static_cast<float>(strip + 1) / 3.0f;
            // Clockwise on screen: top-left, top-right, bottom-right; top-left, bottom-right, bottom-left.
            const float corners[6][2] = {{x0, 1.0f}, {x1, 1.0f}, {x1, -1.0f}, {x0, 1.0f}, {x1, -1.0f}, {x0, -1.0f}};
            for (int i = 0; i < 6; ++i)
            {
                LitVertex& vertex = vertices[strip * 6 + i];
                vertex.position = D3DXVECTOR3(corners[i][0], corners[i][1], 0.5f);
                vertex.texture = D3DXVECTOR2(0.5f, 0.5f);
                vertex.normal = normals[strip];
            }
        }
        uint32_t indices[18];
        for (uint32_t i = 0; i < 18; ++i)
            indices[i] = i;
        BindBuffers(vertices, sizeof(vertices), indices, sizeof(indices));
    }

    void BindBuffers(const void* vertices, UINT vertexBytes, const void* indices, UINT indexBytes)
    {
        D3D11_BUFFER_DESC desc = {vertexBytes, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
        D3D11_SUBRESOURCE_DATA data = {vertices, 0, 0};
        ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateBuffer(&desc, &data, vertexBuffer.Put()));
        desc = {indexBytes, D3D11_USAGE_DEFAULT, D3D11_BIND_INDEX_BUFFER, 0, 0, 0};
        data.pSysMem = indices;
        ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateBuffer(&desc, &data, indexBuffer.Put()));

        ID3D11Buffer* buffers[1] = {vertexBuffer.Get()};
        const UINT stride = sizeof(LitVertex), offset = 0;
        gpu.Context()->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
        gpu.Context()->IASetIndexBuffer(indexBuffer.Get(), DXGI_FORMAT_R32_UINT, 0);
        gpu.Context()->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    }

    // Constant buffer 0 of one stage (kept alive by the binding).
    ID3D11Buffer* BoundConstants(bool pixelStage)
    {
        ComPtr<ID3D11Buffer> buffer;
        if (pixelStage)
            gpu.Context()->PSGetConstantBuffers(0, 1, buffer.Put());
        else
            gpu.Context()->VSGetConstantBuffers(0, 1, buffer.Put());
        return buffer.Get();
    }

    LightShader shader;
    ComPtr<ID3D11Buffer> vertexBuffer;
    ComPtr<ID3D11Buffer> indexBuffer;
};

const uint32_t Orange = 0xFF4080FF;  // (255, 128, 64, 255)
}

TEST_F(LightShaderTest, RenderWritesTransposedMatricesAndTheLightIntoTheConstantBuffers)
{
    PixelTexture texture(gpu.Device(), 1, 1, &Orange);
    const D3DXMATRIX world = Counting(1.0f), view = Counting(17.0f), projection = Counting(33.0f);

    ASSERT_TRUE(shader.Render(gpu.Context(), 0, world, view, projection, texture.View(),
                              D3DXVECTOR3(0.1f, -0.2f, 0.3f), D3DXVECTOR4(0.4f, 0.5f, 0.6f, 0.7f)));

    BufferReadback matrices;
    ASSERT_TRUE(matrices.Read(gpu.Device(), gpu.Context(), BoundConstants(false)));
    ASSERT_EQ(matrices.Size(), 192u);
    const D3DXMATRIX* sources[3] = {&world, &view, &projection};
    for (int field = 0; field < 3; ++field)
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                EXPECT_EQ(matrices.At<float>(field * 16 + row * 4 + column), sources[field]->m[column][row])
                    << "matrix " << field << " row " << row << " column " << column;

    BufferReadback light;
    ASSERT_TRUE(light.Read(gpu.Device(), gpu.Context(), BoundConstants(true)));
    ASSERT_EQ(light.Size(), 32u);
    const float expected[7] = {0.4f, 0.5f, 0.6f, 0.7f, 0.1f, -0.2f, 0.3f};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(light.At<float>(i), expected[i]) << "float " << i;

    ComPtr<ID3D11ShaderResourceView> bound;
    gpu.Context()->PSGetShaderResources(0, 1, bound.Put());
    EXPECT_EQ(bound.Get(), texture.View());
    ExpectTheSampler();
    ComPtr<ID3D11InputLayout> layout;
    gpu.Context()->IAGetInputLayout(layout.Put());
    EXPECT_TRUE(layout);
}

TEST_F(LightShaderTest, FacesTurnedTowardsTheCameraAreLitByTheTextureTimesTheDiffuseColour)
{
    DrawTarget target(gpu.Device(), 6, 2);
    ASSERT_TRUE(target.Ok());
    target.BindAndClear(gpu.Context(), 0.5f, 0.5f, 0.5f, 0.5f);
    PixelTexture texture(gpu.Device(), 1, 1, &Orange);
    // Facing the camera, tilted to cos = 0.8, facing away.
    const D3DXVECTOR3 normals[3] = {D3DXVECTOR3(0.0f, 0.0f, -1.0f), D3DXVECTOR3(0.0f, 0.6f, -0.8f),
                                    D3DXVECTOR3(0.0f, 0.0f, 1.0f)};
    BindStrips(normals);

    ASSERT_TRUE(shader.Render(gpu.Context(), 18, Identity(), Identity(), Identity(), texture.View(),
                              D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR4(1.0f, 0.5f, 1.0f, 1.0f)));

    ASSERT_TRUE(target.Read(gpu.Device(), gpu.Context()));
    const float intensity[3] = {1.0f, 0.8f, 0.0f};
    for (UINT x = 0; x < 6; ++x)
        for (UINT y = 0; y < 2; ++y)
        {
            const float lit = intensity[x / 2];
            const DrawTarget::Texel texel = target.At(x, y);
            EXPECT_NEAR(texel.r, lit * 1.0f, 1e-3f) << "pixel " << x << "," << y;
            EXPECT_NEAR(texel.g, lit * 0.5f * 128.0f / 255.0f, 1e-3f) << "pixel " << x << "," << y;
            EXPECT_NEAR(texel.b, lit * 64.0f / 255.0f, 1e-3f) << "pixel " << x << "," << y;
            EXPECT_NEAR(texel.a, lit, 1e-3f) << "pixel " << x << "," << y;
        }
}

TEST_F(LightShaderTest, IndexCountZeroDrawsNothingAndSucceeds)
{
    DrawTarget target(gpu.Device(), 6, 2);
    ASSERT_TRUE(target.Ok());
    target.BindAndClear(gpu.Context(), 0.5f, 0.25f, 0.125f, 1.0f);
    PixelTexture texture(gpu.Device(), 1, 1, &Orange);
    const D3DXVECTOR3 normals[3] = {D3DXVECTOR3(0.0f, 0.0f, -1.0f), D3DXVECTOR3(0.0f, 0.0f, -1.0f),
                                    D3DXVECTOR3(0.0f, 0.0f, -1.0f)};
    BindStrips(normals);

    EXPECT_TRUE(shader.Render(gpu.Context(), 0, Identity(), Identity(), Identity(), texture.View(),
                              D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f)));
    EXPECT_TRUE(shader.Render(gpu.Context(), -3, Identity(), Identity(), Identity(), texture.View(),
                              D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f)));

    ASSERT_TRUE(target.Read(gpu.Device(), gpu.Context()));
    for (UINT x = 0; x < 6; ++x)
    {
        const DrawTarget::Texel texel = target.At(x, 1);
        EXPECT_EQ(texel.r, 0.5f);
        EXPECT_EQ(texel.g, 0.25f);
        EXPECT_EQ(texel.b, 0.125f);
    }
}
