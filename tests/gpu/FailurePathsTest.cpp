// Every creating call of each object's set-up made to fail in turn: set-up
// reports failure and Shutdown releases exactly what was made. Also the
// per-draw Map failures, which no real device produces on demand.
#include "DebugWindow.h"
#include "LightShader.h"
#include "Model.h"
#include "RenderTexture.h"
#include "TextureShader.h"

#include "BufferReadback.h"
#include "ComPtr.h"
#include "DrawTarget.h"
#include "FailureSweep.h"
#include "FaultInjection.h"
#include "GpuTest.h"
#include "LitVertex.h"
#include "MessageBoxWatcher.h"
#include "PixelTexture.h"
#include "QuadVertex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{
const std::string CreateBuffer = "ID3D11Device::CreateBuffer";
const std::string Map = "ID3D11DeviceContext::Map";
const std::string Compile = "D3DCompile";

// The calls other than allocations, in any order: the compiler and the image
// loader allocate as they see fit.
std::vector<std::string> Made(std::vector<std::string> calls)
{
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [](const std::string& call) { return call.rfind("operator new", 0) == 0; }),
                calls.end());
    std::sort(calls.begin(), calls.end());
    return calls;
}

std::vector<std::string> Sorted(std::vector<std::string> calls)
{
    std::sort(calls.begin(), calls.end());
    return calls;
}

// What the boxes shown when the k-th call of the log failed must be.
using BoxCheck = std::function<void(const std::vector<std::string>& log, int k, const std::vector<SeenMessageBox>&)>;

class FailurePathsTest : public GpuTest
{
protected:
    void TearDown() override { FaultInjection::Disarm(); }

    // The creating calls of one successful set-up, then each of them failed in
    // turn: set-up reports failure, and Shutdown (harmless twice, or without
    // set-up) releases exactly what was made. Returns the clean set-up's calls.
    template <typename Object>
    std::vector<std::string> Sweep(const std::function<bool(Object&)>& initialize, const BoxCheck& check)
    {
        Object never;
        never.Shutdown();
        const ULONG before = FaultInjection::RefCount(gpu.Device());
        FailureSweep sweep([&] {
            Object object;
            const bool created = initialize(object);
            made = FaultInjection::RefCount(gpu.Device()) > before;
            object.Shutdown();
            object.Shutdown();
            return created;
        });
        sweep.Clean();
        EXPECT_TRUE(made) << "set-up made nothing on the device";
        sweep.FailEach([&](int k, const FailureSweep::Run& run) {
            EXPECT_EQ(FaultInjection::RefCount(gpu.Device()), before) << "something outlived Shutdown";
            check(sweep.Log(), k, run.boxes);
        });
        EXPECT_EQ(FaultInjection::RefCount(gpu.Device()), before);
        return sweep.Log();
    }

    // Compile failures without compiler text read as a missing file; later steps show nothing.
    static void ExpectBoxOnlyWhileCompiling(const std::vector<std::string>& log, int k,
                                            const std::vector<SeenMessageBox>& boxes)
    {
        const auto compiled = std::find(log.begin(), log.end(), "ID3D11Device::CreateVertexShader");
        if (k <= compiled - log.begin())
        {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].caption, L"Missing Shader File");
        }
        else
            EXPECT_TRUE(boxes.empty());
    }

    static void ExpectNoBox(const std::vector<std::string>&, int, const std::vector<SeenMessageBox>& boxes)
    {
        EXPECT_TRUE(boxes.empty());
    }

    bool made = false;
};
}

TEST_F(FailurePathsTest, RenderTextureSetUp)
{
    const std::function<bool(RenderTexture&)> initialize = [this](RenderTexture& object) {
        return object.Initialize(gpu.Device(), 32, 16);
    };
    EXPECT_EQ(Sorted(Sweep(initialize, ExpectNoBox)),
              Sorted({"ID3D11Device::CreateTexture2D", "ID3D11Device::CreateRenderTargetView",
                      "ID3D11Device::CreateShaderResourceView"}));
}

TEST_F(FailurePathsTest, DebugWindowSetUp)
{
    const std::function<bool(DebugWindow&)> initialize = [this](DebugWindow& object) {
        return object.Initialize(gpu.Device(), 800, 600, 100, 100);
    };
    EXPECT_EQ(Sorted(Sweep(initialize, ExpectNoBox)),
              Sorted({"operator new[]", "operator new[]", CreateBuffer, CreateBuffer}));
}

TEST_F(FailurePathsTest, LightShaderSetUp)
{
    const std::function<bool(LightShader&)> initialize = [this](LightShader& object) {
        return object.Initialize(gpu.Device(), gpu.Window());
    };
    EXPECT_EQ(Made(Sweep(initialize, ExpectBoxOnlyWhileCompiling)),
              Sorted({Compile, Compile, "ID3D11Device::CreateVertexShader", "ID3D11Device::CreatePixelShader",
                      "ID3D11Device::CreateInputLayout", "ID3D11Device::CreateSamplerState", CreateBuffer,
                      CreateBuffer}));
}

TEST_F(FailurePathsTest, TextureShaderSetUp)
{
    const std::function<bool(TextureShader&)> initialize = [this](TextureShader& object) {
        return object.Initialize(gpu.Device(), gpu.Window());
    };
    EXPECT_EQ(Made(Sweep(initialize, ExpectBoxOnlyWhileCompiling)),
              Sorted({Compile, Compile, "ID3D11Device::CreateVertexShader", "ID3D11Device::CreatePixelShader",
                      "ID3D11Device::CreateInputLayout", CreateBuffer, "ID3D11Device::CreateSamplerState"}));
}

TEST_F(FailurePathsTest, ModelSetUp)
{
    const std::function<bool(Model&)> initialize = [this](Model& object) {
        return object.Initialize(gpu.Device(), L"../Engine/data/seafloor.dds", "../Engine/data/cube.txt");
    };
    const std::vector<std::string> log = Sweep(initialize, ExpectNoBox);
    EXPECT_EQ(std::count(log.begin(), log.end(), CreateBuffer), 2) << "a vertex and an index buffer";
}

TEST_F(FailurePathsTest, LightShaderRenderMapsTwiceAndDrawsNothingWhenEitherMapFails)
{
    LightShader shader;
    ASSERT_TRUE(shader.Initialize(gpu.Device(), gpu.Window()));
    DrawTarget target(gpu.Device(), 4, 4);
    ASSERT_TRUE(target.Ok());
    const uint32_t white = 0xFFFFFFFF;
    PixelTexture texture(gpu.Device(), 1, 1, &white);
    // One triangle over the whole target, facing the camera.
    LitVertex vertices[3] = {{D3DXVECTOR3(-1.0f, -1.0f, 0.5f), D3DXVECTOR2(0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, -1.0f)},
                             {D3DXVECTOR3(-1.0f, 3.0f, 0.5f), D3DXVECTOR2(0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, -1.0f)},
                             {D3DXVECTOR3(3.0f, -1.0f, 0.5f), D3DXVECTOR2(0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, -1.0f)}};
    const uint32_t indices[3] = {0, 1, 2};
    ComPtr<ID3D11Buffer> vertexBuffer, indexBuffer;
    D3D11_BUFFER_DESC desc = {sizeof(vertices), D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA data = {vertices, 0, 0};
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateBuffer(&desc, &data, vertexBuffer.Put()));
    desc = {sizeof(indices), D3D11_USAGE_DEFAULT, D3D11_BIND_INDEX_BUFFER, 0, 0, 0};
    data.pSysMem = indices;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateBuffer(&desc, &data, indexBuffer.Put()));
    ID3D11Buffer* buffers[1] = {vertexBuffer.Get()};
    const UINT stride = sizeof(LitVertex), offset = 0;

    for (int failAt = 0; failAt <= 2; ++failAt)
    {
        target.BindAndClear(gpu.Context(), 0.0f, 0.0f, 0.0f, 0.0f);
        gpu.Context()->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
        gpu.Context()->IASetIndexBuffer(indexBuffer.Get(), DXGI_FORMAT_R32_UINT, 0);
        gpu.Context()->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

        FaultInjection::Arm(failAt);
        const bool drawn = shader.Render(gpu.Context(), 3, Identity(), Identity(), Identity(), texture.View(),
                                         D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f));
        FaultInjection::Disarm();
        EXPECT_EQ(FaultInjection::Calls(), (failAt == 1 ? std::vector<std::string>{Map}
                                                        : std::vector<std::string>{Map, Map}))
            << "failing Map " << failAt;
        EXPECT_EQ(drawn, failAt == 0);

        ASSERT_TRUE(target.Read(gpu.Device(), gpu.Context()));
        EXPECT_EQ(target.At(1, 1).r, failAt == 0 ? 1.0f : 0.0f) << "failing Map " << failAt;
    }
    shader.Shutdown();
}

TEST_F(FailurePathsTest, TextureShaderRenderWithAFailedMapBindsAndDrawsNothing)
{
    TextureShader shader;
    ASSERT_TRUE(shader.Initialize(gpu.Device(), gpu.Window()));
    const uint32_t white = 0xFFFFFFFF;
    PixelTexture texture(gpu.Device(), 1, 1, &white);

    FaultInjection::Arm(1);
    EXPECT_FALSE(shader.Render(gpu.Context(), 6, Identity(), Identity(), Identity(), texture.View()));
    FaultInjection::Disarm();
    EXPECT_EQ(FaultInjection::FailedCall(), Map);

    ComPtr<ID3D11ShaderResourceView> bound;
    gpu.Context()->PSGetShaderResources(0, 1, bound.Put());
    EXPECT_FALSE(bound);
    ComPtr<ID3D11VertexShader> vertexShader;
    gpu.Context()->VSGetShader(vertexShader.Put(), nullptr, nullptr);
    EXPECT_FALSE(vertexShader) << "nothing is set up for a draw";
    shader.Shutdown();
}

// A failed rebuild must not count as done: the next Bind at that position builds the quad.
TEST_F(FailurePathsTest, DebugWindowBindThatFailsBindsNothingAndIsRetriedNextTime)
{
    for (int failAt = 1; failAt <= 2; ++failAt)
    {
        gpu.Context()->ClearState();
        DebugWindow debugWindow;
        ASSERT_TRUE(debugWindow.Initialize(gpu.Device(), 800, 600, 100, 100));

        FaultInjection::Arm(failAt);
        EXPECT_FALSE(debugWindow.Bind(gpu.Context(), 50, 50));
        FaultInjection::Disarm();
        const std::vector<std::string> expected = {"operator new[]", Map};
        EXPECT_EQ(FaultInjection::FailedCall(), expected[failAt - 1]);

        ComPtr<ID3D11Buffer> bound;
        UINT stride = 0, offset = 0;
        gpu.Context()->IAGetVertexBuffers(0, 1, bound.Put(), &stride, &offset);
        EXPECT_FALSE(bound) << "failing " << expected[failAt - 1];

        ASSERT_TRUE(debugWindow.Bind(gpu.Context(), 50, 50));
        gpu.Context()->IAGetVertexBuffers(0, 1, bound.Put(), &stride, &offset);
        ASSERT_TRUE(bound);
        BufferReadback vertices;
        ASSERT_TRUE(vertices.Read(gpu.Device(), gpu.Context(), bound.Get()));
        EXPECT_EQ(vertices.At<QuadVertex>(0).position.x, -350.0f) << "failing " << expected[failAt - 1];
        EXPECT_EQ(vertices.At<QuadVertex>(0).position.y, 250.0f);
        gpu.Context()->ClearState();
        debugWindow.Shutdown();
    }
}
