#pragma once
#include <filesystem>
#include <string>
#include <vector>

// A new empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& name = "") const;
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    // The names of what the folder holds, sorted.
    std::vector<std::string> Names() const;

private:
    std::filesystem::path root;
};
