#pragma once
#include <string>

struct aiScene;

// The material baking of a model of 32 materials, each with its own
// 1024 x 1024 PNG of smooth noise: MaterialBaker::Bake as a whole, then its
// steps one by one in the baker's order (sizes, packing, decoding, filling
// and scaling tiles, smaller levels) and the writing of the texture, each
// with processor and wall time. The files live in a scratch folder removed
// at the end.
class MaterialBench
{
public:
    MaterialBench();
    ~MaterialBench();
    MaterialBench(const MaterialBench&) = delete;
    MaterialBench& operator=(const MaterialBench&) = delete;

    // False, with the cause printed, when a step fails.
    bool Run();

private:
    bool WriteModel() const;
    bool WriteTexture(int index) const;
    bool BakeWhole(const aiScene& scene);
    bool BakeInSteps(const aiScene& scene);

    std::string folder;
    std::string model;
};
