#pragma once

// One record of the model text file: position, texture coordinates, normal.
struct ModelVertex
{
    float x, y, z;
    float tu, tv;
    float nx, ny, nz;
};
