#pragma once
#include "OutputFile.h"
#include "UpAxis.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class Progress;

// One run of the converter: import INPUT, build the triangle list, fit it to
// Engine's cube unless told to keep its size, bake the materials into one
// texture, and write OUTPUT and the texture beside it (told to keep the
// texture coordinates, it bakes nothing and writes OUTPUT alone). The
// outputs are written under temporary names that exist before the work
// starts, so that the converter can remove them whatever becomes of the work
// (which runs in a worker process), and take their places together only at
// the end.
class Conversion
{
public:
    struct Options
    {
        bool keepSize = false;
        bool flatNormals = false;
        std::optional<UpAxis> up; // unset: as the file says
        bool keepCoordinates = false;
    };

    Conversion(std::string input, std::string output, Options options);
    ~Conversion();
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // Creates the temporaries. On failure error names the file and the cause.
    bool Prepare(std::string& error);
    // Does the work into the temporaries: on success line is the summary, on
    // failure the error, naming the file at fault and the cause.
    bool Produce(Progress& progress, std::string& line);
    // Puts both files in their places; should the model file not take its
    // place, the new texture goes again.
    bool Commit(std::string& error);

    // OUTPUT with its extension replaced by ".dds".
    static std::string TexturePath(const std::string& output);

    // The time a sound file of this size needs at most, with room to spare:
    // the input and the files beside it that share its name (a glTF's
    // buffers), 30 s and 1 s per megabyte.
    static unsigned DefaultTimeLimit(const std::string& input);

private:
    static bool Written(OutputFile& file, bool written, std::string& line);
    static std::string Summary(const std::string& input, int meshes, int meshesGivenNormals, std::size_t vertexCount,
                               bool flatNormals);

    struct Made;

    const std::string input;
    const std::string output;
    const Options options;
    OutputFile modelFile;
    OutputFile textureFile;
    std::unique_ptr<Made> made;
};
