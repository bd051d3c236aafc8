#pragma once
#include <cstdio>

class MipChain;

// Writes an R8G8B8A8_UNORM texture with all its levels as a DDS file with the
// classic header (32-bit RGBA masks), which every DDS reader takes.
class DdsWriter
{
public:
    static bool Write(std::FILE* file, const MipChain& levels);
};
