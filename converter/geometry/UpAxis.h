#pragma once
#include <assimp/matrix4x4.h>

#include <string>

struct aiScene;

// The axis a model's file points up, and the turn that makes it Engine's +y.
// Axes are named as the file has them (right-handed); the turn works in the
// left-handed space the import produces, where the file's +z is -z.
class UpAxis
{
public:
    UpAxis() = default; // +y: no turn

    // "x", "y" or "z", optionally signed ("-z", "+x"); false for anything else.
    static bool Parse(const std::string& text, UpAxis& up);

    // The up axis the scene records where its importer reports it without
    // applying it (FBX); +y otherwise.
    static UpAxis OfScene(const aiScene& scene);

    bool IsY() const { return axis == 1 && sign > 0; }
    std::string Name() const; // "z", "-x"

    // A proper rotation, the least one that takes this axis to +y.
    aiMatrix4x4 Turn() const;

private:
    UpAxis(int axis, int sign) : axis(axis), sign(sign) {}

    int axis = 1; // 0 x, 1 y, 2 z
    int sign = 1;
};
