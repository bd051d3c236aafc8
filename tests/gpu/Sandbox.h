#pragma once

#include <filesystem>
#include <string>

// A throw-away copy of the build layout: <temp>/Engine/ beside <temp>/bin/,
// with bin/ as the working directory while the object lives. Fixed paths such
// as the shaders' "../Engine/light.vs" then resolve inside it, and files the
// code writes ("shader-error.txt") land in its bin/.
class Sandbox
{
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    bool Ok() const { return ok; }

    // Copies a file of the real Engine/ folder into the sandbox's.
    bool CopyEngineFile(const char* name);
    bool WriteEngineFile(const char* name, const std::string& text);

    // Files in the working directory (bin/), byte for byte.
    bool WriteWorkingFile(const char* name, const std::string& bytes);
    std::string ReadWorkingFile(const char* name) const;
    bool WorkingFileExists(const char* name) const;

    std::filesystem::path EnginePath(const char* name) const { return root / "Engine" / name; }
    // A file of the real build's Engine/ folder, as an absolute path.
    std::filesystem::path RealEnginePath(const char* name) const { return original / ".." / "Engine" / name; }

private:
    std::filesystem::path original;
    std::filesystem::path root;
    bool ok = false;
};
