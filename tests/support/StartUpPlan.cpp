#include "StartUpPlan.h"

#include <gtest/gtest.h>

namespace
{
const wchar_t InputObject[] = L"Could not initialize the input object.";
const wchar_t Direct3D[] = L"Could not initialize Direct3D.";
const wchar_t ModelObject[] = L"Could not initialize the model object.";
const wchar_t LightShaderObject[] = L"Could not initialize the light shader object.";
const wchar_t DebugWindowObject[] = L"Could not initialize the debug window object.";
const wchar_t TextureShaderObject[] = L"Could not initialize the texture shader object.";

struct Owner
{
    const char* name;
    const wchar_t* allocationMessage;  // "Error" box when its allocation fails; null: none
    const wchar_t* setUpMessage;       // "Error" box when one of its own calls fails; null: none
    const wchar_t* shaderFiles[2];
};

// In the order of creation. Failed allocations of the objects the program,
// the application and the scene renderer make are not reported; the model's
// texture is the model's own business.
const Owner Owners[] = {
    {"application", nullptr, nullptr, {}},
    {"input reader", nullptr, InputObject, {}},
    {"scene renderer", nullptr, nullptr, {}},
    {"graphics device", nullptr, Direct3D, {}},
    {"camera", nullptr, nullptr, {}},
    {"model", nullptr, ModelObject, {}},
    {"model's texture", ModelObject, ModelObject, {}},
    {"light shader", nullptr, LightShaderObject, {L"../Engine/light.vs", L"../Engine/light.ps"}},
    {"light", nullptr, nullptr, {}},
    {"render texture", nullptr, nullptr, {}},
    {"debug window", nullptr, DebugWindowObject, {}},
    {"texture shader", nullptr, TextureShaderObject, {L"../Engine/texture.vs", L"../Engine/texture.ps"}},
};
const size_t OwnerCount = sizeof(Owners) / sizeof(Owners[0]);
}

bool StartUpPlan::Read(const std::vector<std::string>& log, const std::string& firstOwner)
{
    calls.clear();
    problem.clear();
    size_t owner = 0;
    while (owner < OwnerCount && firstOwner != Owners[owner].name)
        ++owner;
    const size_t first = owner;
    int compiles = 0;
    for (const std::string& name : log)
    {
        const bool allocation = name == "operator new";
        if (allocation)
        {
            if (!calls.empty())
                ++owner;
            compiles = 0;
        }
        if (owner >= OwnerCount || (calls.empty() && !allocation))
        {
            problem = "the allocations do not match the objects";
            return false;
        }
        int shaderFile = -1;
        if (!allocation && Owners[owner].shaderFiles[0] && compiles < 2)
            shaderFile = compiles;
        if (name == "D3DCompile")
            ++compiles;
        calls.push_back(Call{name, owner, allocation, shaderFile});
    }
    if (owner + 1 != OwnerCount)
        problem = std::to_string(owner + 1 - first) + " allocations for " + std::to_string(OwnerCount - first) +
                  " objects";
    return problem.empty();
}

const char* StartUpPlan::OwnerName(int k) const
{
    return Owners[calls[k - 1].owner].name;
}

std::vector<StartUpPlan::Box> StartUpPlan::ExpectedBoxes(int k) const
{
    const Call& call = calls[k - 1];
    const Owner& owner = Owners[call.owner];
    std::vector<Box> boxes;
    const wchar_t* message = call.allocation ? owner.allocationMessage : owner.setUpMessage;
    if (!message)
        return boxes;
    // A shader file that cannot be read (no compiler text) is named first.
    if (call.shaderFile >= 0)
        boxes.push_back(Box{L"Missing Shader File", owner.shaderFiles[call.shaderFile]});
    boxes.push_back(Box{L"Error", message});
    return boxes;
}

void StartUpPlan::ExpectBoxes(int k, const std::vector<SeenMessageBox>& seen, HWND owner) const
{
    const std::vector<Box> expected = ExpectedBoxes(k);
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i)
    {
        EXPECT_EQ(seen[i].caption, expected[i].caption) << "box " << i;
        EXPECT_EQ(seen[i].text, expected[i].text) << "box " << i;
        EXPECT_EQ(seen[i].owner, owner) << "box " << i;
    }
}

int StartUpPlan::LastOfOwner(int k) const
{
    int last = k;
    while (last < Count() && calls[last].owner == calls[k - 1].owner)
        ++last;
    return last;
}

std::vector<int> StartUpPlan::Representatives() const
{
    std::vector<int> representatives = {1};
    for (int k = 2; k <= Count(); ++k)
        if (!calls[k - 1].allocation && calls[k - 2].allocation)
            representatives.push_back(k);
    return representatives;
}
