#pragma once
#include <string>
#include <vector>

// vexelo-model as a user runs it, next to the converters users already have
// (gltfpack from npm, Assimp's own command-line tool), on 2CylinderEngine.glb
// of Debian's assimp-testmodels and on generated grids of 1 and 4 million
// triangles as OBJ and binary glTF. Tools take turns, run
// after run; for each the median wall and processor time and peak memory,
// the share of ours that is Assimp's import alone, and how ours compares
// with the fastest peer; then how each scales from the smallest grid to the
// largest. A peer that is not installed is left out with a note.
class PeerBench
{
public:
    struct Options
    {
        int runs = 3;
        std::vector<int> millions = {1, 4};
        std::string before; // another vexelo-model to compare with, if any
    };

    explicit PeerBench(Options options);
    ~PeerBench();
    PeerBench(const PeerBench&) = delete;
    PeerBench& operator=(const PeerBench&) = delete;

    // False, with the cause printed, when a grid cannot be written or our
    // converter fails.
    bool Run();

    // What the bench runs to time the import: the converter's import of
    // path and nothing else. The exit code.
    static int ImportOnly(const std::string& path);

    struct Figures
    {
        double wall = 0, processor = 0, peakMegabytes = 0;
    };

private:
    struct Tool
    {
        std::string name;
        std::vector<std::string> command; // INPUT and OUTPUT stand for the files
        std::string outputExtension;
        bool ours = false;
        std::vector<Figures> runs;
    };
    struct Model
    {
        std::string title;
        bool glb;
        long long triangles; // of a grid
        std::string path;
        std::vector<Tool> tools;
    };

    void FindTools();
    bool Measure(Model& model);
    bool MeasureGrid(int millions, bool glb);
    bool RunOnce(Tool& tool, const Model& model);
    void CompareWithBefore(const Model& model);
    void PrintModel(const Model& model) const;
    void PrintScaling() const;

    Options options;
    std::string folder;
    std::vector<Tool> tools;
    std::vector<Model> models;
};
