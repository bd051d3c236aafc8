#pragma once

#include "MessageBoxWatcher.h"

#include <string>
#include <vector>

// Who makes each creating call of Engine's start-up, read from the call log of
// a clean start-up. The objects are created in a fixed order - application,
// input reader, scene renderer, then the scene renderer's eight with the
// model's texture right after the model - and each one's allocation is the
// only plain nothrow "operator new" of start-up (arrays go through "operator
// new[]"), so every allocation marks where the next object's calls begin.
// The shaders read and compile two files each: the calls up to a file's
// "D3DCompile" belong to reading that file. The scene renderer's own set-up is the
// same log from the graphics device on.
class StartUpPlan
{
public:
    // False (see Problem) when the log does not have the shape above; firstOwner is the
    // object whose allocation the log starts with.
    bool Read(const std::vector<std::string>& calls, const std::string& firstOwner = "application");
    const std::string& Problem() const { return problem; }

    int Count() const { return static_cast<int>(calls.size()); }
    const std::string& Name(int k) const { return calls[k - 1].name; }
    const char* OwnerName(int k) const;
    // Expects the boxes a failure of the k-th call (1-based) must show, in order, each owned
    // by the window.
    void ExpectBoxes(int k, const std::vector<SeenMessageBox>& seen, HWND owner) const;
    // The last call of the k-th call's owner: set-up may not go past it.
    int LastOfOwner(int k) const;
    // A few calls that stand for the rest: the first allocation, and the
    // first own call of every object that makes any.
    std::vector<int> Representatives() const;

private:
    struct Box
    {
        std::wstring caption;
        std::wstring text;
    };

    struct Call
    {
        std::string name;
        size_t owner;
        bool allocation;
        int shaderFile;  // index of the shader file being read, or -1
    };

    std::vector<Box> ExpectedBoxes(int k) const;

    std::vector<Call> calls;
    std::string problem;
};
