#include "UpAxis.h"

#include <assimp/scene.h>

#include <cstdint>

bool UpAxis::Parse(const std::string& text, UpAxis& up)
{
    const bool hasSign = !text.empty() && (text[0] == '-' || text[0] == '+');
    const std::string name = text.substr(hasSign ? 1 : 0);
    if (name.size() != 1 || std::string("xyz").find(name) == std::string::npos)
        return false;
    up = UpAxis(name[0] - 'x', text[0] == '-' ? -1 : 1);
    return true;
}

// Assimp 5.2's FBX importer reports the file's axes as metadata and leaves the
// model as the file has it; Collada's and 3DS's importers turn theirs upright
// themselves and report nothing.
UpAxis UpAxis::OfScene(const aiScene& scene)
{
    std::int32_t axis = 1;
    std::int32_t sign = 1;
    if (scene.mMetaData == nullptr || !scene.mMetaData->Get("UpAxis", axis))
        return {};
    scene.mMetaData->Get("UpAxisSign", sign);
    if (axis < 0 || axis > 2 || (sign != 1 && sign != -1))
        return {};
    return {axis, sign};
}

std::string UpAxis::Name() const
{
    return (sign < 0 ? "-" : "") + std::string(1, "xyz"[axis]);
}

aiMatrix4x4 UpAxis::Turn() const
{
    // In the file's right-handed space: a quarter turn about z for x, about x
    // for z, half a turn about x for -y.
    const float s = static_cast<float>(sign);
    aiMatrix3x3 turn;
    if (axis == 0)
        turn = aiMatrix3x3(0, -s, 0, s, 0, 0, 0, 0, 1); // (x, y, z) -> (-sy, sx, z)
    else if (axis == 2)
        turn = aiMatrix3x3(1, 0, 0, 0, 0, s, 0, -s, 0); // (x, y, z) -> (x, sz, -sy)
    else if (sign < 0)
        turn = aiMatrix3x3(1, 0, 0, 0, -1, 0, 0, 0, -1);
    // The import mirrors z, M = diag(1, 1, -1); there the same turn is
    // M turn M: the terms that mix z with x or y change sign.
    turn.a3 = -turn.a3;
    turn.b3 = -turn.b3;
    turn.c1 = -turn.c1;
    turn.c2 = -turn.c2;
    return aiMatrix4x4(turn);
}
