#include "PeerBench.h"

#include "GridModel.h"
#include "SceneImport.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace
{
// A real model of many parts, where the cost of starting matters.
const char* const TestModel = "/usr/share/assimp/models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";

// Grids of side x side quads: 708 a side gives 1,002,528 triangles.
int SideFor(int millions)
{
    return static_cast<int>(std::lround(708 * std::sqrt(millions)));
}

std::string OnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    for (std::size_t start = 0; start <= folders.size();)
    {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        start = end + 1;
    }
    return "";
}

PeerBench::Figures Median(std::vector<PeerBench::Figures> runs)
{
    PeerBench::Figures median;
    const auto middle = [&runs](double PeerBench::Figures::*field) {
        std::sort(runs.begin(), runs.end(), [field](const auto& a, const auto& b) { return a.*field < b.*field; });
        return runs[runs.size() / 2].*field;
    };
    median.wall = middle(&PeerBench::Figures::wall);
    median.processor = middle(&PeerBench::Figures::processor);
    median.peakMegabytes = middle(&PeerBench::Figures::peakMegabytes);
    return median;
}

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// The command as a child whose output goes to log; its figures from wait4,
// which reports the peak of that child alone.
bool Spawn(const std::vector<std::string>& command, const std::string& log, PeerBench::Figures& figures)
{
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return false;
    figures.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.processor = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    figures.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Tail(const std::string& path)
{
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return text.size() > 400 ? text.substr(text.size() - 400) : text;
}
}

PeerBench::PeerBench(Options options) : options(std::move(options)), folder(fs::absolute("converter-bench-peers").string())
{
}

PeerBench::~PeerBench()
{
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

int PeerBench::ImportOnly(const std::string& path)
{
    SceneImport import;
    std::string error;
    if (import.Read(path, error) != nullptr)
        return 0;
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return 1;
}

// Ours first, then its import alone, the converter to compare with, the peers.
void PeerBench::FindTools()
{
    tools.push_back({"vexelo-model", {VEXELO_MODEL, "INPUT", "OUTPUT"}, ".txt", true, {}});
    tools.push_back({"  its import alone", {"/proc/self/exe", "--import-only", "INPUT"}, "", false, {}});
    if (!options.before.empty())
        tools.push_back({"before", {options.before, "INPUT", "OUTPUT"}, ".txt", false, {}});
    std::string gltfpack = VEXELO_BENCH_PEERS "/node_modules/.bin/gltfpack";
    if (access(gltfpack.c_str(), X_OK) != 0)
        gltfpack = OnPath("gltfpack");
    if (!gltfpack.empty())
        tools.push_back({"gltfpack", {gltfpack, "-i", "INPUT", "-o", "OUTPUT"}, ".glb", false, {}});
    else
        std::printf("gltfpack is not installed (tools/setup --bench installs it): left out\n");
    const std::string assimp = OnPath("assimp");
    if (!assimp.empty())
        tools.push_back({"assimp export", {assimp, "export", "INPUT", "OUTPUT"}, ".obj", false, {}});
    else
        std::printf("assimp (Debian's assimp-utils) is not installed (tools/setup --bench installs it): left out\n");
}

bool PeerBench::Run()
{
    std::error_code code;
    fs::create_directories(folder, code);
    FindTools();
    if (fs::is_regular_file(TestModel, code))
    {
        Model model{fs::path(TestModel).filename().string(), true, 0, TestModel, tools};
        if (!Measure(model))
            return false;
        PrintModel(model);
    }
    else
        std::printf("%s is missing (assimp-testmodels): left out\n", TestModel);
    for (const int millions : options.millions)
        for (const bool glb : {false, true})
            if (!MeasureGrid(millions, glb))
                return false;
    PrintScaling();
    return true;
}

bool PeerBench::MeasureGrid(int millions, bool glb)
{
    const GridModel grid(SideFor(millions));
    Model model{std::to_string(grid.Triangles()) + " triangles, " + (glb ? "binary glTF" : "OBJ"), glb, grid.Triangles(),
                folder + "/grid" + (glb ? ".glb" : ".obj"), tools};
    if (!(glb ? grid.WriteGlb(model.path) : grid.WriteObj(model.path)))
    {
        std::printf("could not write %s\n", model.path.c_str());
        return false;
    }
    const bool measured = Measure(model);
    std::error_code code;
    fs::remove(model.path, code); // generated: the test model stays
    if (!measured)
        return false;
    PrintModel(model);
    models.push_back(model);
    return true;
}

// Run after run, each tool in turn, so that a slow spell of the machine
// falls on all of them alike.
bool PeerBench::Measure(Model& model)
{
    for (int run = 0; run < options.runs; ++run)
    {
        for (Tool& tool : model.tools)
            if (!RunOnce(tool, model) && tool.ours)
                return false;
        if (run == 0)
            CompareWithBefore(model);
        for (const Tool& tool : model.tools)
            if (!tool.outputExtension.empty())
                fs::remove(folder + "/" + tool.name + tool.outputExtension);
    }
    return true;
}

bool PeerBench::RunOnce(Tool& tool, const Model& model)
{
    std::vector<std::string> command = tool.command;
    for (std::string& argument : command)
        if (argument == "INPUT")
            argument = model.path;
        else if (argument == "OUTPUT")
            argument = folder + "/" + tool.name + tool.outputExtension;
    const std::string log = folder + "/log.txt";
    Figures figures;
    if (!Spawn(command, log, figures))
    {
        std::printf("%s failed on %s:\n%s\n", tool.name.c_str(), model.path.c_str(), Tail(log).c_str());
        return false;
    }
    tool.runs.push_back(figures);
    return true;
}

void PeerBench::CompareWithBefore(const Model& model)
{
    if (options.before.empty())
        return;
    const std::string ours = folder + "/vexelo-model.txt", before = folder + "/before.txt";
    std::ifstream a(ours, std::ios::binary), b(before, std::ios::binary);
    const bool same = a && b && std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                                           std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
    std::printf("%s: the model file is %s\n", model.title.c_str(),
                same ? "byte for byte the one before" : "NOT the one before");
    std::fflush(stdout);
}

void PeerBench::PrintModel(const Model& model) const
{
    std::printf("\n%s; median of %d runs\n", model.title.c_str(), options.runs);
    std::printf("  %-20s %8s %12s %9s %18s\n", "", "wall s", "processor s", "peak MB", "wall / fastest peer");
    double fastestPeer = 0;
    for (const Tool& tool : model.tools)
        if (!tool.ours && tool.name != "before" && tool.name[0] != ' ' && !tool.runs.empty())
        {
            const double wall = Median(tool.runs).wall;
            fastestPeer = fastestPeer == 0 ? wall : std::min(fastestPeer, wall);
        }
    const double ours = Median(model.tools[0].runs).wall, oursProcessor = Median(model.tools[0].runs).processor;
    for (const Tool& tool : model.tools)
    {
        if (tool.runs.empty())
            continue;
        const Figures median = Median(tool.runs);
        std::printf("  %-20s %8.3f %12.3f %9.0f", tool.name.c_str(), median.wall, median.processor, median.peakMegabytes);
        if (tool.name[0] == ' ')
            std::printf("   %.0f %% of ours; ours without it: %.3f s, %.3f s processor", 100 * median.wall / ours,
                        ours - median.wall, oursProcessor - median.processor);
        else if (fastestPeer > 0)
            std::printf(" %18.2f", median.wall / fastestPeer);
        std::printf("\n");
    }
    std::fflush(stdout);
}

// Per triangle, the largest grid against the smallest: linear scaling keeps
// the ratios near 1. Processor time is the steadier figure on a shared
// machine, where the clock also counts others' work.
void PeerBench::PrintScaling() const
{
    if (options.millions.size() < 2)
        return;
    std::printf("\nscaling, per triangle, %d million against %d million triangles:\n", options.millions.back(),
                options.millions.front());
    std::printf("  %-26s %6s %10s %7s\n", "", "wall", "processor", "memory");
    for (const bool glb : {false, true})
    {
        const Model* small = nullptr;
        const Model* large = nullptr;
        for (const Model& model : models)
            if (model.glb == glb)
            {
                small = small == nullptr ? &model : small;
                large = &model;
            }
        if (small == nullptr || small == large)
            continue;
        for (std::size_t t = 0; t < small->tools.size(); ++t)
        {
            if (small->tools[t].runs.empty() || large->tools[t].runs.empty())
                continue;
            const Figures a = Median(small->tools[t].runs), b = Median(large->tools[t].runs);
            const double per = double(small->triangles) / double(large->triangles);
            const double wall = b.wall * per / a.wall, processor = b.processor * per / a.processor,
                         memory = b.peakMegabytes * per / a.peakMegabytes;
            const bool linear = processor <= 1.1 && memory <= 1.1;
            std::printf("  %-5s %-20s %6.2f %10.2f %7.2f%s\n", glb ? "glb" : "OBJ", small->tools[t].name.c_str(), wall,
                        processor, memory, small->tools[t].ours ? (linear ? "  linear within 10 %" : "  NOT linear within 10 %") : "");
        }
    }
    std::fflush(stdout);
}
