#include "FindRefreshRate.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
DXGI_MODE_DESC Mode(UINT width, UINT height, UINT numerator, UINT denominator,
                    DXGI_MODE_SCANLINE_ORDER ordering = DXGI_MODE_SCANLINE_ORDER_PROGRESSIVE)
{
    DXGI_MODE_DESC mode = {};
    mode.Width = width;
    mode.Height = height;
    mode.RefreshRate = {numerator, denominator};
    mode.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    mode.ScanlineOrdering = ordering;
    return mode;
}
}

TEST(FindRefreshRate, TheLastModeOfTheRequestedSizeWins)
{
    std::vector<DXGI_MODE_DESC> modes = {
        Mode(800, 600, 60000, 1001), Mode(1920, 1080, 144, 1), Mode(800, 600, 60, 1),
        Mode(800, 600, 75, 1, DXGI_MODE_SCANLINE_ORDER_UPPER_FIELD_FIRST), Mode(1024, 768, 85, 1)};
    DXGI_RATIONAL rate = FindRefreshRate(modes.data(), static_cast<UINT>(modes.size()), 800, 600);
    EXPECT_EQ(rate.Numerator, 75u);
    EXPECT_EQ(rate.Denominator, 1u);

    rate = FindRefreshRate(modes.data(), 3, 800, 600);
    EXPECT_EQ(rate.Numerator, 60u);
    EXPECT_EQ(rate.Denominator, 1u);
}

TEST(FindRefreshRate, BothSidesMustMatchElseZeroOverOne)
{
    std::vector<DXGI_MODE_DESC> modes = {Mode(800, 1080, 60, 1), Mode(1920, 600, 50, 1), Mode(600, 800, 75, 1)};
    DXGI_RATIONAL rate = FindRefreshRate(modes.data(), static_cast<UINT>(modes.size()), 800, 600);
    EXPECT_EQ(rate.Numerator, 0u);
    EXPECT_EQ(rate.Denominator, 1u);

    rate = FindRefreshRate(nullptr, 0, 800, 600);
    EXPECT_EQ(rate.Numerator, 0u);
    EXPECT_EQ(rate.Denominator, 1u);
}
