#pragma once
#include <string>

// A file with the given bytes in the working directory, removed again when
// the object goes. Names are unique across the test processes ctest runs at once.
class TempFile
{
public:
    explicit TempFile(const std::string& bytes);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* Name() const { return name_.c_str(); }

    static std::string ReadBytes(const char* fileName);

private:
    std::string name_;
};
