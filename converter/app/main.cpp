// vexelo-model [--keep-size] [--flat-normals] [--up AXIS] [--keep-coordinates] [--time-limit SECONDS] INPUT OUTPUT
// vexelo-model --version
// Exit codes: 0 converted, 1 the conversion failed, 2 wrong usage.
#include "CommandLine.h"
#include "Conversion.h"
#include "MemoryCap.h"
#include "OutputFile.h"
#include "ProgressLine.h"
#include "Worker.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

namespace
{
// Ctrl-C and its kin: the worker goes first, so that nothing writes into the
// files the handler then removes.
void EndWorkerAndProgress()
{
    Worker::EndRunning();
    ProgressLine::ClearNow();
}

int Fail(ProgressLine& progressLine, const std::string& line)
{
    progressLine.Clear();
    std::fprintf(stderr, "vexelo-model: %s\n", line.c_str());
    return 1;
}

// In the worker: everything that reads the input's bytes, within the cap.
bool Produce(Conversion& conversion, const std::string& input, Progress& progress, std::string& line)
{
    std::error_code code;
    const std::uintmax_t inputSize = std::filesystem::file_size(input, code);
    MemoryCap::Apply(MemoryCap::ForFileSize(code ? 0 : inputSize));
    try
    {
        return conversion.Produce(progress, line);
    }
    catch (const std::bad_alloc&)
    {
        line = input + ": not enough memory to convert it";
    }
    catch (const std::exception& exception)
    {
        line = input + ": " + exception.what();
    }
    return false;
}

std::string WhyNoResult(const Worker::Outcome& outcome, const std::string& input, unsigned seconds)
{
    switch (outcome.end)
    {
    case Worker::End::Crashed:
        return input + ": cannot import: the import library crashed on this file (" + outcome.line +
               "); it may be damaged";
    case Worker::End::TimedOut:
        return input + ": cannot import: no result after " + std::to_string(seconds) +
               " s; the file may be damaged (--time-limit to allow longer)";
    default:
        return input + ": " + outcome.line;
    }
}
}

int main(int argc, char** argv)
{
    Worker::TakeRole(argc, argv);
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
    if (commandLine.version)
    {
        std::printf("vexelo-model %s\n", VEXELO_VERSION);
        return 0;
    }

    OutputFile::RemoveOnSignals(EndWorkerAndProgress);
    Conversion::Options options;
    options.keepSize = commandLine.keepSize;
    options.flatNormals = commandLine.flatNormals;
    options.up = commandLine.up;
    options.keepCoordinates = commandLine.keepCoordinates;
    Conversion conversion(commandLine.input, commandLine.output, options);
    ProgressLine progressLine;
    if (!conversion.Prepare(error))
        return Fail(progressLine, error);

    const std::string& input = commandLine.input;
    const unsigned seconds = commandLine.timeLimit ? *commandLine.timeLimit : Conversion::DefaultTimeLimit(input);
    const Worker::Outcome outcome = Worker::Run(
        [&](Progress& progress, std::string& line) { return Produce(conversion, input, progress, line); }, seconds,
        progressLine);
    if (outcome.end != Worker::End::Reported)
        return Fail(progressLine, WhyNoResult(outcome, input, seconds));
    if (!outcome.succeeded)
        return Fail(progressLine, outcome.line);
    if (!conversion.Commit(error))
        return Fail(progressLine, error);
    progressLine.Clear();
    std::printf("%s\n", outcome.line.c_str());
    return 0;
}
