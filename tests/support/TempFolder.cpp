#include "TempFolder.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace
{
// Test processes that ctest runs at the same time do not share a random start.
std::string UniqueNumber()
{
    static const unsigned long long process =
        (static_cast<unsigned long long>(std::random_device()()) << 32) | std::random_device()();
    static unsigned long long serial = 0;
    return std::to_string(process) + "-" + std::to_string(++serial);
}
}

TempFolder::TempFolder(const std::filesystem::path& prefix)
{
    std::error_code error;
    start = std::filesystem::current_path(error);
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error)
        return;
    std::filesystem::path candidate = temp / prefix;
    candidate += "-" + UniqueNumber();
    if (std::filesystem::create_directories(candidate, error))
        root = candidate;
}

TempFolder::~TempFolder()
{
    if (root.empty())
        return;
    std::error_code error;
    std::filesystem::current_path(start, error);
    std::filesystem::remove_all(root, error);
}

bool TempFolder::Enter(const std::filesystem::path& subfolder)
{
    if (root.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(root / subfolder, error);
    std::filesystem::current_path(root / subfolder, error);
    return !error;
}

std::filesystem::path TempFolder::Write(const std::filesystem::path& name, const std::string& bytes) const
{
    const std::filesystem::path path = Path(name);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    return WriteBytes(path, bytes) ? path : std::filesystem::path();
}

std::filesystem::path TempFolder::Write(const std::filesystem::path& name, const std::vector<uint8_t>& bytes) const
{
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

bool TempFolder::Copy(const std::filesystem::path& name, const std::filesystem::path& from) const
{
    std::error_code error;
    std::filesystem::create_directories(Path(name).parent_path(), error);
    std::filesystem::copy_file(start / from / name, Path(name), std::filesystem::copy_options::overwrite_existing,
                               error);
    return !error;
}

bool TempFolder::Exists(const std::filesystem::path& name) const
{
    std::error_code error;
    return std::filesystem::exists(Path(name), error);
}

std::string TempFolder::ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool TempFolder::WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
