#include "CommandLine.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

bool CommandLine::Parse(int argc, const char* const* argv, std::string& error)
{
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i)
    {
        const char* argument = argv[i];
        if (optionsEnded || argument[0] != '-' || argument[1] == '\0')
            paths.emplace_back(argument);
        else if (std::strcmp(argument, "--") == 0)
            optionsEnded = true;
        else if (std::strcmp(argument, "--keep-size") == 0)
            keepSize = true;
        else if (std::strcmp(argument, "--flat-normals") == 0)
            flatNormals = true;
        else if (std::strcmp(argument, "--keep-coordinates") == 0)
            keepCoordinates = true;
        else if (std::strcmp(argument, "--up") == 0)
        {
            // The value may start with '-': it is the next argument, whatever it is.
            UpAxis axis;
            if (i + 1 == argc || !UpAxis::Parse(argv[i + 1], axis))
            {
                error = i + 1 == argc ? "--up needs an axis" : std::string("unknown up axis ") + argv[i + 1];
                return false;
            }
            up = axis;
            ++i;
        }
        else if (std::strcmp(argument, "--time-limit") == 0)
        {
            unsigned seconds = 0;
            if (i + 1 == argc || !ParseSeconds(argv[i + 1], seconds))
            {
                error = i + 1 == argc ? "--time-limit needs a number of seconds"
                                      : std::string("--time-limit takes whole seconds, not ") + argv[i + 1];
                return false;
            }
            timeLimit = seconds;
            ++i;
        }
        else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)
            help = true;
        else if (std::strcmp(argument, "--version") == 0)
            version = true;
        else
        {
            error = std::string("unknown option ") + argument;
            return false;
        }
    }
    if (help || version)
        return true;
    if (paths.size() != 2)
    {
        error = paths.size() < 2 ? "INPUT and OUTPUT are needed" : "more than two paths given";
        return false;
    }
    input = paths[0];
    output = paths[1];
    if (IsTextureName(output))
    {
        error = "OUTPUT ends in .dds, the name of the texture written beside it";
        return false;
    }
    return true;
}

bool CommandLine::IsTextureName(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension.size() == 4 && std::tolower(static_cast<unsigned char>(extension[1])) == 'd' &&
           std::tolower(static_cast<unsigned char>(extension[2])) == 'd' &&
           std::tolower(static_cast<unsigned char>(extension[3])) == 's';
}

// Digits alone, at most a million seconds.
bool CommandLine::ParseSeconds(const char* text, unsigned& seconds)
{
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 7 || std::strspn(text, "0123456789") != length)
        return false;
    seconds = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    return seconds <= 1000000;
}

const char* CommandLine::Usage()
{
    return "usage: vexelo-model [--keep-size] [--flat-normals] [--up AXIS] [--keep-coordinates] [--time-limit SECONDS]\n"
           "                    INPUT OUTPUT\n"
           "Converts a 3D model (OBJ, glTF 2, FBX, Collada, PLY, STL, 3DS and whatever else Assimp reads)\n"
           "into Engine's model file: one triangle list, centred and scaled to a largest extent of 2, and\n"
           "its materials into one texture beside it, OUTPUT with the extension .dds.\n"
           "  --keep-size     keep the file's units and position\n"
           "  --flat-normals  where the file has no normals, give each triangle its own (default: smooth)\n"
           "  --up AXIS       the file's up axis, x, y or z, optionally signed (-z), turned to Engine's y\n"
           "                  (default: the one an FBX file records, else y)\n"
           "  --keep-coordinates\n"
           "                  keep the file's texture coordinates and bake no texture (for an image of\n"
           "                  your own: no .dds is written, an existing one is left as it is)\n"
           "  --time-limit SECONDS  give up on a file that takes longer, as a damaged one may\n"
           "                  (default: 30 s and 1 s per MB of the file; 0: no limit)\n"
           "  --version       print the version and nothing else\n";
}
