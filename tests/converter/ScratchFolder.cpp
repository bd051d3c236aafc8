#include "ScratchFolder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

ScratchFolder::ScratchFolder()
{
    std::random_device seed;
    do
        root = std::filesystem::temp_directory_path() / ("vexelo-converter-" + std::to_string(seed()));
    while (!std::filesystem::create_directory(root));
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::string ScratchFolder::Path(const std::string& name) const
{
    return name.empty() ? root.string() : (root / name).string();
}

void ScratchFolder::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream(root / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchFolder::Read(const std::string& name) const
{
    std::ifstream file(root / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> ScratchFolder::Names() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
