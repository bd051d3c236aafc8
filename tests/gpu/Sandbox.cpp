#include "Sandbox.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace
{
bool WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
}

Sandbox::Sandbox()
{
    static int serial = 0;
    std::error_code error;
    original = std::filesystem::current_path(error);
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error)
        return;
    root = temp / ("vexelo-sandbox-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(root, error);
    std::filesystem::create_directories(root / "Engine", error);
    std::filesystem::create_directories(root / "bin", error);
    if (error)
        return;
    std::filesystem::current_path(root / "bin", error);
    ok = !error;
}

Sandbox::~Sandbox()
{
    std::error_code error;
    std::filesystem::current_path(original, error);
    if (!root.empty())
        std::filesystem::remove_all(root, error);
}

bool Sandbox::CopyEngineFile(const char* name)
{
    std::error_code error;
    std::filesystem::copy_file(RealEnginePath(name), EnginePath(name),
                               std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

bool Sandbox::WriteEngineFile(const char* name, const std::string& text)
{
    return WriteBytes(EnginePath(name), text);
}

bool Sandbox::WriteWorkingFile(const char* name, const std::string& bytes)
{
    return WriteBytes(root / "bin" / name, bytes);
}

std::string Sandbox::ReadWorkingFile(const char* name) const
{
    std::ifstream file(root / "bin" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Sandbox::WorkingFileExists(const char* name) const
{
    std::error_code error;
    return std::filesystem::exists(root / "bin" / name, error);
}
