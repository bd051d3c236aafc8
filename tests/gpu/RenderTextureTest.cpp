#include "RenderTexture.h"

#include "ComPtr.h"
#include "GpuTest.h"
#include "TestDevice.h"
#include "TextureReadback.h"

#include <gtest/gtest.h>

namespace
{
// The graphics device's depth-stencil buffer stands in for the one the scene shares.
struct DepthBuffer
{
    ComPtr<ID3D11Texture2D> texture;
    ComPtr<ID3D11DepthStencilView> view;

    DepthBuffer(ID3D11Device* device, UINT width, UINT height)
    {
        D3D11_TEXTURE2D_DESC desc = {};
        desc.Width = width;
        desc.Height = height;
        desc.MipLevels = 1;
        desc.ArraySize = 1;
        desc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
        desc.SampleDesc.Count = 1;
        desc.BindFlags = D3D11_BIND_DEPTH_STENCIL;
        if (SUCCEEDED(device->CreateTexture2D(&desc, nullptr, texture.Put())))
            device->CreateDepthStencilView(texture.Get(), nullptr, view.Put());
    }
};

// The resource behind a view (kept alive by the view).
ID3D11Resource* ResourceOf(ID3D11View* view)
{
    ComPtr<ID3D11Resource> resource;
    if (view)
        view->GetResource(resource.Put());
    return resource.Get();
}

// What OMGetRenderTargets reports: every colour slot and the depth view.
struct Bound
{
    ID3D11RenderTargetView* targets[D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT] = {};
    ID3D11DepthStencilView* depth = nullptr;

    explicit Bound(ID3D11DeviceContext* context)
    {
        context->OMGetRenderTargets(D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT, targets, &depth);
    }
    ~Bound()
    {
        for (ID3D11RenderTargetView* target : targets)
            if (target)
                target->Release();
        if (depth)
            depth->Release();
    }
    int Count() const
    {
        int count = 0;
        for (ID3D11RenderTargetView* target : targets)
            count += target != nullptr;
        return count;
    }
};

// Depth 1.0 (all 24 bits set) beside the given stencil. Direct3D packs the
// stencil in the top byte; Wine's staging copy keeps OpenGL's order, stencil lowest.
bool IsFarDepthWithStencil(uint32_t texel, uint32_t stencil)
{
    const bool direct3D = (texel & 0xFFFFFFu) == 0xFFFFFFu && texel >> 24 == stencil;
    const bool openGL = texel >> 8 == 0xFFFFFFu && (texel & 0xFFu) == stencil;
    return direct3D || openGL;
}

class RenderTextureTest : public GpuTest
{
protected:
    void TearDown() override { renderTexture.Shutdown(); }

    // The texture behind the shader resource view handed out.
    ID3D11Resource* Texture() { return ResourceOf(renderTexture.GetShaderResourceView()); }

    RenderTexture renderTexture;
};
}

TEST_F(RenderTextureTest, IsAScreenSizedFloatTextureThatInitializeLeavesUnbound)
{
    ComPtr<ID3D11Texture2D> backBuffer;
    *backBuffer.Put() = gpu.BackBuffer();
    ComPtr<ID3D11RenderTargetView> backBufferView;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateRenderTargetView(backBuffer.Get(), nullptr, backBufferView.Put()));
    ID3D11RenderTargetView* views[1] = {backBufferView.Get()};
    gpu.Context()->OMSetRenderTargets(1, views, nullptr);

    ASSERT_TRUE(renderTexture.Initialize(gpu.Device(), 37, 23));

    ASSERT_NE(renderTexture.GetShaderResourceView(), nullptr);
    ComPtr<ID3D11Texture2D> texture;
    ASSERT_HRESULT_SUCCEEDED(Texture()->QueryInterface(__uuidof(ID3D11Texture2D),
                                                       reinterpret_cast<void**>(texture.Put())));
    D3D11_TEXTURE2D_DESC desc;
    texture->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 37u);
    EXPECT_EQ(desc.Height, 23u);
    EXPECT_EQ(desc.MipLevels, 1u);
    EXPECT_EQ(desc.Format, DXGI_FORMAT_R32G32B32A32_FLOAT);
    EXPECT_EQ(desc.BindFlags, static_cast<UINT>(D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE));

    Bound bound(gpu.Context());
    EXPECT_EQ(bound.targets[0], backBufferView.Get());
    EXPECT_EQ(bound.Count(), 1);
    ID3D11ShaderResourceView* sampled = nullptr;
    gpu.Context()->PSGetShaderResources(0, 1, &sampled);
    EXPECT_EQ(sampled, nullptr);
    if (sampled)
        sampled->Release();
}

TEST_F(RenderTextureTest, ClearFillsEveryTexelWithTheExactColourAndResetsDepthButNotStencil)
{
    const UINT width = 37, height = 23;
    ASSERT_TRUE(renderTexture.Initialize(gpu.Device(), width, height));
    DepthBuffer depth(gpu.Device(), width, height);
    ASSERT_TRUE(depth.view);
    gpu.Context()->ClearDepthStencilView(depth.view.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 0.25f, 0x5A);

    // A first clear to other values shows the second one really writes.
    renderTexture.ClearRenderTarget(gpu.Context(), depth.view.Get(), 0.25f, 0.5f, 0.75f, 0.5f);
    renderTexture.ClearRenderTarget(gpu.Context(), depth.view.Get(), 0.0f, 0.0f, 1.0f, 1.0f);

    TextureReadback colour;
    ASSERT_TRUE(colour.Read(gpu.Device(), gpu.Context(), Texture()));
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
        {
            const float* texel = reinterpret_cast<const float*>(colour.Row(y)) + 4 * x;
            ASSERT_TRUE(texel[0] == 0.0f && texel[1] == 0.0f && texel[2] == 1.0f && texel[3] == 1.0f)
                << "texel " << x << "," << y << " = " << texel[0] << " " << texel[1] << " " << texel[2] << " "
                << texel[3];
        }

    TextureReadback depthStencil;
    ASSERT_TRUE(depthStencil.Read(gpu.Device(), gpu.Context(), depth.texture.Get()));
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            ASSERT_TRUE(IsFarDepthWithStencil(depthStencil.At<uint32_t>(x, y), 0x5A))
                << "depth-stencil at " << x << "," << y << " = " << std::hex << depthStencil.At<uint32_t>(x, y);
}

TEST_F(RenderTextureTest, SetRenderTargetBindsExactlyItsViewWithTheGivenDepthUntilReplaced)
{
    ASSERT_TRUE(renderTexture.Initialize(gpu.Device(), 16, 16));
    RenderTexture other;
    ASSERT_TRUE(other.Initialize(gpu.Device(), 16, 16));
    DepthBuffer depth(gpu.Device(), 16, 16);

    // Two targets bound before: afterwards only one remains.
    ComPtr<ID3D11RenderTargetView> extra[2];
    for (ComPtr<ID3D11RenderTargetView>& view : extra)
        ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateRenderTargetView(ResourceOf(other.GetShaderResourceView()),
                                                                      nullptr, view.Put()));
    ID3D11RenderTargetView* both[2] = {extra[0].Get(), extra[1].Get()};
    gpu.Context()->OMSetRenderTargets(2, both, nullptr);

    renderTexture.SetRenderTarget(gpu.Context(), depth.view.Get());
    {
        Bound bound(gpu.Context());
        EXPECT_EQ(bound.Count(), 1);
        EXPECT_EQ(ResourceOf(bound.targets[0]), Texture());
        EXPECT_EQ(bound.depth, depth.view.Get());
    }

    other.SetRenderTarget(gpu.Context(), depth.view.Get());
    {
        Bound bound(gpu.Context());
        EXPECT_EQ(bound.Count(), 1);
        EXPECT_EQ(ResourceOf(bound.targets[0]), ResourceOf(other.GetShaderResourceView()));
    }

    // The back buffer's binding, as the graphics device makes it.
    ComPtr<ID3D11Texture2D> backBuffer;
    *backBuffer.Put() = gpu.BackBuffer();
    ComPtr<ID3D11RenderTargetView> backBufferView;
    ASSERT_HRESULT_SUCCEEDED(gpu.Device()->CreateRenderTargetView(backBuffer.Get(), nullptr, backBufferView.Put()));
    ID3D11RenderTargetView* views[1] = {backBufferView.Get()};
    gpu.Context()->OMSetRenderTargets(1, views, depth.view.Get());
    {
        Bound bound(gpu.Context());
        EXPECT_EQ(bound.Count(), 1);
        EXPECT_EQ(bound.targets[0], backBufferView.Get());
    }
    other.Shutdown();
}
