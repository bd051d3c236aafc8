#include "Model.h"

#include "BufferReadback.h"
#include "ComPtr.h"
#include "DebugWindow.h"
#include "FaultInjection.h"
#include "GpuTest.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
// Three records, the second spread over two lines, then one beyond the count.
const char ThreeVertices[] =
    "Vertex Count: 3\n"
    "\n"
    "Data:\n"
    "\n"
    "1 2 3 4 5 6 7 8\n"
    "-1.5 2.5e1 +3\n"
    "0.25 0.5 0 0 -1\n"
    "9 10 11 12 13 14 15 16\n"
    "99 99 99 99 99 99 99 99\n";

const float ThreeVerticesValues[24] = {1, 2, 3, 4, 5, 6, 7, 8, -1.5f, 25, 3, 0.25f, 0.5f, 0, 0, -1,
                                       9, 10, 11, 12, 13, 14, 15, 16};

class ModelTest : public GpuTest
{
protected:
    void SetUp() override
    {
        GpuTest::SetUp();
        ASSERT_FALSE(threeVertices.empty() || noVertices.empty());
    }
    void TearDown() override
    {
        FaultInjection::Disarm();
        gpu.Context()->ClearState();
        model.Shutdown();
    }

    // The model's own texture, from the real build.
    std::wstring RealTexture() const { return L"../Engine/data/seafloor.dds"; }

    // Initialize, logging its creating calls.
    bool Initialize(const std::wstring& textureFile, const char* modelFile)
    {
        FaultInjection::Arm(0);
        const bool created = model.Initialize(gpu.Device(), textureFile.c_str(), modelFile);
        FaultInjection::Disarm();
        return created;
    }

    // What Model::Bind leaves on the input assembler (kept alive by the binding).
    struct Bound
    {
        ComPtr<ID3D11Buffer> vertices;
        UINT stride = 0;
        UINT offset = 1;
        ComPtr<ID3D11Buffer> indices;
        DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
        UINT indexOffset = 1;
        D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;

        explicit Bound(ID3D11DeviceContext* context)
        {
            context->IAGetVertexBuffers(0, 1, vertices.Put(), &stride, &offset);
            context->IAGetIndexBuffer(indices.Put(), &format, &indexOffset);
            context->IAGetPrimitiveTopology(&topology);
        }
    };

    TempFolder files;
    const std::string threeVertices = files.Write("three.txt", ThreeVertices).string();
    const std::string noVertices = files.Write("empty.txt", "Vertex Count: 0\n\nData:\n\n").string();
    Model model;
};

size_t Occurrences(const std::vector<std::string>& calls, const std::string& name)
{
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), name));
}
}

TEST_F(ModelTest, BuffersHoldTheFileRecordsAs32ByteVerticesAndIndicesInFileOrder)
{
    ASSERT_TRUE(Initialize(RealTexture(), threeVertices.c_str()));
    EXPECT_EQ(model.GetIndexCount(), 3);
    EXPECT_NE(model.GetTexture(), nullptr);

    model.Bind(gpu.Context());
    Bound bound(gpu.Context());
    ASSERT_TRUE(bound.vertices && bound.indices);
    EXPECT_EQ(bound.stride, 32u);
    EXPECT_EQ(bound.offset, 0u);
    EXPECT_EQ(bound.format, DXGI_FORMAT_R32_UINT);
    EXPECT_EQ(bound.indexOffset, 0u);
    EXPECT_EQ(bound.topology, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    BufferReadback vertices;
    ASSERT_TRUE(vertices.Read(gpu.Device(), gpu.Context(), bound.vertices.Get()));
    ASSERT_EQ(vertices.Size(), 96u);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(vertices.At<float>(i), ThreeVerticesValues[i]) << "vertex " << i / 8 << " float " << i % 8;

    BufferReadback indices;
    ASSERT_TRUE(indices.Read(gpu.Device(), gpu.Context(), bound.indices.Get()));
    ASSERT_EQ(indices.Size(), 12u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(indices.At<uint32_t>(i), i);
}

TEST_F(ModelTest, BindReplacesTheDebugWindowsBuffers)
{
    ASSERT_TRUE(Initialize(RealTexture(), threeVertices.c_str()));
    DebugWindow quad;
    ASSERT_TRUE(quad.Initialize(gpu.Device(), 800, 600, 100, 100));
    ASSERT_TRUE(quad.Bind(gpu.Context(), 50, 50));

    model.Bind(gpu.Context());
    Bound bound(gpu.Context());
    EXPECT_EQ(bound.stride, 32u);
    D3D11_BUFFER_DESC desc;
    bound.vertices->GetDesc(&desc);
    EXPECT_EQ(desc.ByteWidth, 96u);
    gpu.Context()->ClearState();
    quad.Shutdown();
}

TEST_F(ModelTest, TheProgramsCubeAndTextureLoad)
{
    ASSERT_TRUE(Initialize(RealTexture(), "../Engine/data/cube.txt"));
    EXPECT_EQ(model.GetIndexCount(), 36);
    EXPECT_NE(model.GetTexture(), nullptr);
}

TEST_F(ModelTest, CountZeroReadsButFailsAtBufferCreation)
{
    const ULONG before = FaultInjection::RefCount(gpu.Device());

    EXPECT_FALSE(Initialize(RealTexture(), noVertices.c_str()));

    EXPECT_EQ(model.GetIndexCount(), 0);
    EXPECT_EQ(FaultInjection::Calls().back(), "ID3D11Device::CreateBuffer") << "the texture is never reached";
    EXPECT_EQ(model.GetTexture(), nullptr);
    model.Shutdown();
    EXPECT_EQ(FaultInjection::RefCount(gpu.Device()), before);
}

TEST_F(ModelTest, MissingTextureFailsAfterBothBuffersAndTheTextureExistAndShutdownReleasesThemAll)
{
    const ULONG before = FaultInjection::RefCount(gpu.Device());

    EXPECT_FALSE(Initialize(L"no-such-texture.dds", threeVertices.c_str()));

    const std::vector<std::string> calls = FaultInjection::Calls();
    EXPECT_EQ(Occurrences(calls, "ID3D11Device::CreateBuffer"), 2u);
    const auto lastBuffer = std::find(calls.rbegin(), calls.rend(), "ID3D11Device::CreateBuffer");
    EXPECT_NE(std::find(calls.rbegin(), lastBuffer, "operator new"), lastBuffer)
        << "the Texture object is made after the buffers";
    EXPECT_EQ(model.GetTexture(), nullptr);
    model.Bind(gpu.Context());
    {
        Bound bound(gpu.Context());
        EXPECT_TRUE(bound.vertices && bound.indices);
    }
    gpu.Context()->ClearState();
    EXPECT_GT(FaultInjection::RefCount(gpu.Device()), before);

    model.Shutdown();
    model.Shutdown();
    EXPECT_EQ(FaultInjection::RefCount(gpu.Device()), before);
}

TEST_F(ModelTest, MissingModelFileCreatesNothing)
{
    const ULONG before = FaultInjection::RefCount(gpu.Device());

    EXPECT_FALSE(Initialize(RealTexture(), "no-such-model.txt"));

    EXPECT_EQ(Occurrences(FaultInjection::Calls(), "ID3D11Device::CreateBuffer"), 0u);
    model.Shutdown();
    EXPECT_EQ(FaultInjection::RefCount(gpu.Device()), before);
}
