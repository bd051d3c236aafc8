// The seed writers' one way to save a seed: the whole file, or false.
#ifndef VEXELO_SEEDFILE_H
#define VEXELO_SEEDFILE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline bool SaveSeed(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

#endif
