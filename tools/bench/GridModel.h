#pragma once
#include <string>

// A square height field of side x side quads, two triangles each, with
// texture coordinates and no normals: the kind of model a scan gives.
// Written as OBJ (every corner by index, as exporters write it) or as
// binary glTF (one indexed mesh, 32-bit indices).
class GridModel
{
public:
    explicit GridModel(int side) : side(side) {}

    long long Triangles() const { return 2LL * side * side; }

    // False when the file cannot be written.
    bool WriteObj(const std::string& path) const;
    bool WriteGlb(const std::string& path) const;

private:
    float Height(int column, int row) const;

    int side;
};
