#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with all it holds when the
// object goes; while it lives it can be the working directory. Free of Windows, so the
// native tests use it too.
class TempFolder
{
public:
    // The folder's name begins with the prefix; a number unique to this object follows.
    explicit TempFolder(const std::filesystem::path& prefix = "vexelo-test");
    ~TempFolder();  // restores the working directory first
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !root.empty(); }
    const std::filesystem::path& Path() const { return root; }
    std::filesystem::path Path(const std::filesystem::path& name) const { return root / name; }

    // Makes a subfolder (made if needed; empty: the folder itself) the working directory.
    bool Enter(const std::filesystem::path& subfolder = {});

    // Writes the bytes as the whole file, with the folders it needs; its path, or empty.
    std::filesystem::path Write(const std::filesystem::path& name, const std::string& bytes) const;
    std::filesystem::path Write(const std::filesystem::path& name, const std::vector<uint8_t>& bytes) const;
    // Copies <from>/<name> to <name> in here; a relative from is taken from the working
    // directory the object was made in. From "..", a copy of the build layout.
    bool Copy(const std::filesystem::path& name, const std::filesystem::path& from) const;
    std::string Read(const std::filesystem::path& name) const { return ReadBytes(Path(name)); }
    bool Exists(const std::filesystem::path& name) const;

    // Any file's whole content, byte for byte, or empty.
    static std::string ReadBytes(const std::filesystem::path& path);
    static bool WriteBytes(const std::filesystem::path& path, const std::string& bytes);

private:
    std::filesystem::path start;
    std::filesystem::path root;
};
