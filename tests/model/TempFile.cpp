#include "TempFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace
{
std::string UniqueName()
{
    static const unsigned long long process = (static_cast<unsigned long long>(std::random_device()()) << 32) |
                                              std::random_device()();
    static unsigned long long counter = 0;
    return "model-test-" + std::to_string(process) + "-" + std::to_string(++counter) + ".txt";
}
}

TempFile::TempFile(const std::string& bytes) : name_(UniqueName())
{
    std::ofstream file(name_, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempFile::~TempFile()
{
    std::remove(name_.c_str());
}

std::string TempFile::ReadBytes(const char* fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}
