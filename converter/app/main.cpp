// vexelo-model [--keep-size] [--flat-normals] [--up AXIS] [--keep-coordinates] INPUT OUTPUT
// Exit codes: 0 converted, 1 the conversion failed, 2 wrong usage.
#include "CommandLine.h"
#include "Conversion.h"
#include "MemoryCap.h"
#include "OutputFile.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    CommandLine commandLine;
    std::string error;
    if (!commandLine.Parse(argc, argv, error))
    {
        std::fprintf(stderr, "vexelo-model: %s\n%s", error.c_str(), CommandLine::Usage());
        return 2;
    }
    if (commandLine.help)
    {
        std::fputs(CommandLine::Usage(), stdout);
        return 0;
    }

    OutputFile::RemoveOnSignals();
    std::error_code code;
    const std::uintmax_t inputSize = std::filesystem::file_size(commandLine.input, code);
    MemoryCap::Apply(MemoryCap::ForFileSize(code ? 0 : inputSize));

    Conversion::Options options;
    options.keepSize = commandLine.keepSize;
    options.flatNormals = commandLine.flatNormals;
    options.up = commandLine.up;
    options.keepCoordinates = commandLine.keepCoordinates;
    std::string summary;
    try
    {
        if (!Conversion::Run(commandLine.input, commandLine.output, options, summary, error))
        {
            std::fprintf(stderr, "vexelo-model: %s\n", error.c_str());
            return 1;
        }
    }
    catch (const std::bad_alloc&)
    {
        std::fprintf(stderr, "vexelo-model: %s: not enough memory to convert it\n", commandLine.input.c_str());
        return 1;
    }
    catch (const std::exception& exception)
    {
        std::fprintf(stderr, "vexelo-model: %s: %s\n", commandLine.input.c_str(), exception.what());
        return 1;
    }
    std::printf("%s\n", summary.c_str());
    return 0;
}
