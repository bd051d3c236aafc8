#include "FindRefreshRate.h"

DXGI_RATIONAL FindRefreshRate(const DXGI_MODE_DESC* modes, UINT modeCount, UINT width, UINT height)
{
    DXGI_RATIONAL rate = {0, 1};
    for (UINT i = 0; i < modeCount; ++i)
    {
        if (modes[i].Width == width && modes[i].Height == height)
            rate = modes[i].RefreshRate;
    }
    return rate;
}
