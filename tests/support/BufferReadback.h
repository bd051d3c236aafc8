#pragma once

#include <d3d11.h>

#include <cstdint>
#include <cstring>
#include <vector>

// Copies a GPU buffer (dynamic, constant or default) into CPU memory through a
// staging buffer, so tests see what the device really holds.
class BufferReadback
{
public:
    // False when the staging copy or the Map fails.
    bool Read(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Buffer* buffer);

    size_t Size() const { return bytes.size(); }
    const uint8_t* Data() const { return bytes.data(); }

    template <typename T>
    T At(size_t index) const
    {
        T value;
        std::memcpy(&value, bytes.data() + index * sizeof(T), sizeof(T));
        return value;
    }

private:
    std::vector<uint8_t> bytes;
};
