#include "DebugWindow.h"

#include "BufferReadback.h"
#include "ComPtr.h"
#include "QuadVertex.h"
#include "GpuTest.h"
#include "TestDevice.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{
class DebugWindowTest : public GpuTest
{
protected:
    void TearDown() override { debugWindow.Shutdown(); }

    // The vertex buffer as Bind left it on the input assembler (kept alive by the binding).
    ID3D11Buffer* BoundVertexBuffer(UINT* stride = nullptr, UINT* offset = nullptr)
    {
        ComPtr<ID3D11Buffer> buffer;
        UINT boundStride = 0, boundOffset = 0;
        gpu.Context()->IAGetVertexBuffers(0, 1, buffer.Put(), &boundStride, &boundOffset);
        if (stride)
            *stride = boundStride;
        if (offset)
            *offset = boundOffset;
        return buffer.Get();
    }

    BufferReadback ReadVertices()
    {
        BufferReadback readback;
        ID3D11Buffer* buffer = BoundVertexBuffer();
        EXPECT_TRUE(buffer && readback.Read(gpu.Device(), gpu.Context(), buffer));
        return readback;
    }

    // Overwrites the vertex buffer from outside, so a later rebuild (or its absence) shows.
    void Scribble()
    {
        ID3D11Buffer* buffer = BoundVertexBuffer();
        ASSERT_NE(buffer, nullptr);
        D3D11_MAPPED_SUBRESOURCE mapped;
        ASSERT_HRESULT_SUCCEEDED(gpu.Context()->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped));
        float* values = static_cast<float*>(mapped.pData);
        for (size_t i = 0; i < 6 * sizeof(QuadVertex) / sizeof(float); ++i)
            values[i] = 7.0f;
        gpu.Context()->Unmap(buffer, 0);
    }

    static float Left(const BufferReadback& vertices) { return vertices.At<QuadVertex>(0).position.x; }
    static float Top(const BufferReadback& vertices) { return vertices.At<QuadVertex>(0).position.y; }

    DebugWindow debugWindow;
};

void ExpectVertex(const QuadVertex& vertex, float x, float y, float u, float v)
{
    EXPECT_EQ(vertex.position.x, x);
    EXPECT_EQ(vertex.position.y, y);
    EXPECT_EQ(vertex.position.z, 0.0f);
    EXPECT_EQ(vertex.texture.x, u);
    EXPECT_EQ(vertex.texture.y, v);
}
}

TEST_F(DebugWindowTest, BindBuildsTwoClockwiseTrianglesInScreenCentredPixels)
{
    ASSERT_TRUE(debugWindow.Initialize(gpu.Device(), 800, 600, 100, 100));
    EXPECT_EQ(debugWindow.GetIndexCount(), 6);
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 50, 50));

    BufferReadback vertices = ReadVertices();
    ASSERT_EQ(vertices.Size(), 6 * sizeof(QuadVertex));
    const float left = -350.0f, right = -250.0f, top = 250.0f, bottom = 150.0f;
    ExpectVertex(vertices.At<QuadVertex>(0), left, top, 0.0f, 0.0f);
    ExpectVertex(vertices.At<QuadVertex>(1), right, bottom, 1.0f, 1.0f);
    ExpectVertex(vertices.At<QuadVertex>(2), left, bottom, 0.0f, 1.0f);
    ExpectVertex(vertices.At<QuadVertex>(3), left, top, 0.0f, 0.0f);
    ExpectVertex(vertices.At<QuadVertex>(4), right, top, 1.0f, 0.0f);
    ExpectVertex(vertices.At<QuadVertex>(5), right, bottom, 1.0f, 1.0f);
}

TEST_F(DebugWindowTest, BindLeavesTheQuadsBuffersAndTopologyOnTheInputAssembler)
{
    ASSERT_TRUE(debugWindow.Initialize(gpu.Device(), 800, 600, 100, 100));
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 50, 50));

    UINT stride = 0, offset = 1;
    EXPECT_NE(BoundVertexBuffer(&stride, &offset), nullptr);
    EXPECT_EQ(stride, 20u);
    EXPECT_EQ(offset, 0u);

    ComPtr<ID3D11Buffer> indexBuffer;
    DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
    UINT indexOffset = 1;
    gpu.Context()->IAGetIndexBuffer(indexBuffer.Put(), &format, &indexOffset);
    ASSERT_TRUE(indexBuffer);
    EXPECT_EQ(format, DXGI_FORMAT_R32_UINT);
    EXPECT_EQ(indexOffset, 0u);
    BufferReadback indices;
    ASSERT_TRUE(indices.Read(gpu.Device(), gpu.Context(), indexBuffer.Get()));
    ASSERT_EQ(indices.Size(), 24u);
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(indices.At<uint32_t>(i), i);

    D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    gpu.Context()->IAGetPrimitiveTopology(&topology);
    EXPECT_EQ(topology, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}

TEST_F(DebugWindowTest, OddScreenSizesHalveTowardsZero)
{
    ASSERT_TRUE(debugWindow.Initialize(gpu.Device(), 1023, 767, 100, 60));
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 0, 0));

    BufferReadback vertices = ReadVertices();
    ExpectVertex(vertices.At<QuadVertex>(0), -511.0f, 383.0f, 0.0f, 0.0f);
    ExpectVertex(vertices.At<QuadVertex>(1), -411.0f, 323.0f, 1.0f, 1.0f);
}

TEST_F(DebugWindowTest, RebuildsOnlyWhenXOrYChanges)
{
    ASSERT_TRUE(debugWindow.Initialize(gpu.Device(), 800, 600, 100, 100));
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 50, 50));

    Scribble();
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 50, 50));
    EXPECT_EQ(Left(ReadVertices()), 7.0f) << "same position: the buffer must stay untouched";

    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 51, 50));
    EXPECT_EQ(Left(ReadVertices()), -349.0f) << "x alone changed";
    EXPECT_EQ(Top(ReadVertices()), 250.0f);

    Scribble();
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 51, 50));
    EXPECT_EQ(Left(ReadVertices()), 7.0f);

    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 51, 52));
    EXPECT_EQ(Left(ReadVertices()), -349.0f) << "y alone changed";
    EXPECT_EQ(Top(ReadVertices()), 248.0f);
}

TEST_F(DebugWindowTest, FirstBindAtMinusOneKeepsTheSixZeroVerticesButBinds)
{
    ASSERT_TRUE(debugWindow.Initialize(gpu.Device(), 800, 600, 100, 100));
    ASSERT_TRUE(debugWindow.Bind(gpu.Context(), -1, -1));

    BufferReadback vertices = ReadVertices();
    ASSERT_EQ(vertices.Size(), 120u);
    for (size_t i = 0; i < vertices.Size(); ++i)
        ASSERT_EQ(vertices.Data()[i], 0) << "byte " << i;
}
