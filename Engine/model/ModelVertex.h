#pragma once

// One record of the model file: position, texture coordinates and normal,
// eight floats in the order they appear in the file.
struct ModelVertex
{
    float x, y, z;
    float tu, tv;
    float nx, ny, nz;
};
