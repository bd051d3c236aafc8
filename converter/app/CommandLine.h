#pragma once
#include "UpAxis.h"

#include <optional>
#include <string>

// vexelo-model [--keep-size] [--flat-normals] [--up AXIS] [--keep-coordinates] [--time-limit SECONDS] INPUT OUTPUT
class CommandLine
{
public:
    bool keepSize = false;
    bool flatNormals = false;
    std::optional<UpAxis> up; // unset: as the file says
    bool keepCoordinates = false;
    std::optional<unsigned> timeLimit; // seconds, 0 none; unset: by the input's size
    bool help = false;
    bool version = false;
    std::string input;
    std::string output;

    // False for an unknown option or up axis, or a wrong number of paths;
    // error says which.
    bool Parse(int argc, const char* const* argv, std::string& error);

    static const char* Usage();

private:
    static bool IsTextureName(const std::string& path);
    static bool ParseSeconds(const char* text, unsigned& seconds);
};
