// vexelo-model's failures and interruptions: one line naming the file and
// the cause, an existing output left as it was and nothing left behind; and
// the progress line on a terminal.
#include "Conversion.h"
#include "ConverterTestSupport.h"
#include "Sanitizers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <regex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
struct FailureCase
{
    const char* name;
    void (*setUp)(const TempFolder&);
    std::vector<std::string> arguments; // "@" stands for the folder
    int code;
    std::string message; // how stderr starts
};

std::string InFolder(std::string text, const TempFolder& folder)
{
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1))
        text.replace(at, 1, folder.Path().string());
    return text;
}

void Box(const TempFolder& f) { Write(f.Path("box.obj"), ObjBox(true)); }

// 448 x 100000 triangles: 134400000 vertices, more than a 32-bit byte width
// holds of 32-byte vertices.
void OverTheVertexLimit(const TempFolder& f)
{
    std::string nodes, roots;
    for (int n = 0; n < 448; ++n)
    {
        nodes += std::string(n ? "," : "") + R"({"mesh":1})";
        roots += (n ? "," : "") + std::to_string(n);
    }
    WriteGltf(f, 100000, nodes, roots);
}

// Damaged copies of test models, found by the damaged-copies test below.
void CutShortPly(const TempFolder& f) { fs::copy_file(TestData("cut-short.ply"), f.Path("cut-short.ply")); }

const FailureCase FailureCases[] = {
    {"no paths", Box, {}, 2, "vexelo-model: INPUT and OUTPUT are needed\nusage:"},
    {"a time limit in fractions", Box, {"--time-limit", "0.5", "@/box.obj", "@/out.txt"}, 2,
     "vexelo-model: --time-limit takes whole seconds, not 0.5\nusage:"},
    {"unknown option", Box, {"--fast", "@/box.obj", "@/out.txt"}, 2, "vexelo-model: unknown option --fast\nusage:"},
    {"unknown up axis", Box, {"--up", "zx", "@/box.obj", "@/out.txt"}, 2, "vexelo-model: unknown up axis zx\nusage:"},
    {"no up axis", Box, {"@/box.obj", "@/out.txt", "--up"}, 2, "vexelo-model: --up needs an axis\nusage:"},
    {"missing input", Box, {"@/missing.obj", "@/out.txt"}, 1,
     "vexelo-model: @/missing.obj: cannot import: No such file or directory\n"},
    {"text no importer reads", [](const TempFolder& f) { Write(f.Path("notes.txt"), "hello\n"); }, {"@/notes.txt", "@/out.txt"},
     1, "vexelo-model: @/notes.txt: cannot import: No suitable reader found"},
    {"lines and points only", [](const TempFolder& f) { Write(f.Path("l.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\np 1\n"); },
     {"@/l.obj", "@/out.txt"}, 1, "vexelo-model: @/l.obj: no triangles (only points, lines or nothing to draw)\n"},
    {"a position beyond float", [](const TempFolder& f) { Write(f.Path("h.obj"), "v 1e39 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\n"); },
     {"@/h.obj", "@/out.txt"}, 1, "vexelo-model: @/h.obj: a vertex position is not a finite number\n"},
    {"every vertex at one point", [](const TempFolder& f) { Write(f.Path("p.obj"), "v 1 1 1\nv 1 1 1\nv 1 1 1\nf 1 2 3\n"); },
     {"@/p.obj", "@/out.txt"}, 1, "vexelo-model: @/p.obj: all vertices lie at one point\n"},
    {"more vertices than Engine reads", OverTheVertexLimit, {"@/scene.gltf", "@/out.txt"}, 1,
     "vexelo-model: @/scene.gltf: 134400000 vertices, more than Engine reads (134217727)\n"},
#if !defined(VEXELO_ADDRESS_SANITIZER) // which reports the crash itself and takes no memory cap
    // 176 bytes that ask for 400 million vertices: under the cap refused at
    // once, not read for minutes in gigabytes.
    {"a file that asks for more memory than the cap allows",
     [](const TempFolder& f) {
         Write(f.Path("huge.ply"), "ply\nformat ascii 1.0\nelement vertex 400000000\nproperty float x\nproperty float y\nproperty float z\n"
                                   "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n");
     },
     {"@/huge.ply", "@/out.txt"}, 1, "vexelo-model: @/huge.ply: cannot import: it asks for more memory than there is room for\n"},
    {"a file the import library crashes on",
     [](const TempFolder& f) { fs::copy_file(TestData("piece-lost.ply"), f.Path("piece-lost.ply")); }, {"@/piece-lost.ply", "@/out.txt"}, 1,
     "vexelo-model: @/piece-lost.ply: cannot import: the import library crashed on this file (segmentation fault); "
     "it may be damaged\n"},
#endif
    {"a file the import library never finishes", CutShortPly, {"--time-limit", "1", "@/cut-short.ply", "@/out.txt"}, 1,
     "vexelo-model: @/cut-short.ply: cannot import: no result after 1 s; the file may be damaged (--time-limit to allow "
     "longer)\n"},
    {"output in a missing folder", Box, {"@/box.obj", "@/missing/out.txt"}, 1,
     "vexelo-model: @/missing/out.txt: cannot create a file beside it: No such file or directory\n"},
    {"output names a folder", [](const TempFolder& f) { Box(f); fs::create_directory(f.Path("sub")); }, {"@/box.obj", "@/sub"},
     1, "vexelo-model: @/sub: cannot replace it: Is a directory\n"},
};
}

// Which file, what is wrong, in one line; an existing output stays as it
// was and nothing is left behind.
TEST(ConverterFailures, EachNamesTheFileAndCauseAndLeavesTheOutputAlone)
{
    for (const FailureCase& row : FailureCases)
    {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        row.setUp(folder);
        Write(folder.Path("out.txt"), "Vertex Count: 0\n\nData:\n\n");
        const std::vector<std::string> before = Names(folder.Path());
        std::vector<std::string> arguments;
        for (const std::string& argument : row.arguments)
            arguments.push_back(InFolder(argument, folder));
        const Outcome run = Convert(folder.Path(), arguments, 60);
        EXPECT_EQ(run.code, row.code) << run.err;
        EXPECT_EQ(run.err.rfind(InFolder(row.message, folder), 0), 0u) << run.err;
        EXPECT_TRUE(row.code == 2 || run.err.find('\n') == run.err.size() - 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Names(folder.Path()), before);
        EXPECT_EQ(Read(folder.Path("out.txt")), "Vertex Count: 0\n\nData:\n\n");
    }
}

// 30 s and 1 s for each megabyte begun of the file and of the files beside
// it that share its name (a glTF's buffers): 1,000 and 2,500,000 bytes begin
// 3 megabytes.
TEST(ConverterFailures, TheDefaultTimeLimitGrowsWithTheFileAndItsBuffers)
{
    TempFolder folder;
    Write(folder.Path("scene.gltf"), std::string(1000, ' '));
    Write(folder.Path("scene.bin"), std::string(2500000, '\0'));
    Write(folder.Path("other.bin"), std::string(5000000, '\0'));
    EXPECT_EQ(Conversion::DefaultTimeLimit(folder.Path("scene.gltf").string()), 33u);
    EXPECT_EQ(Conversion::DefaultTimeLimit(folder.Path("other.bin").string()), 35u);
}

namespace
{
// The processes whose parent is parent, from /proc.
std::vector<pid_t> ChildrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = Read(entry.path() / "stat"); // "pid (name) state ppid ..."
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd != std::string::npos && std::atoi(stat.c_str() + nameEnd + 4) == parent)
            children.push_back(std::atoi(stat.c_str()));
    }
    return children;
}

// Held by the kernel to no new privileges and a filter of its calls.
bool Confined(pid_t process)
{
    const std::string status = Read("/proc/" + std::to_string(process) + "/status");
    return status.find("\nNoNewPrivs:\t1\n") != std::string::npos && status.find("\nSeccomp:\t2\n") != std::string::npos;
}

std::size_t TemporaryBytes(const TempFolder& folder)
{
    std::size_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            bytes += entry.file_size();
    return bytes;
}

struct InterruptionCase
{
    const char* moment;
    void (*writeInput)(const TempFolder&);
    const char* input;
    bool (*reached)(const TempFolder&, pid_t converter);
};

const InterruptionCase InterruptionCases[] = {
    {"while the worker imports", CutShortPly, "cut-short.ply",
     [](const TempFolder&, pid_t converter) {
         const std::vector<pid_t> workers = ChildrenOf(converter);
         return workers.size() == 1 && Confined(workers[0]);
     }},
    {"while the files are written", [](const TempFolder& f) { WriteGltf(f, 1000000, R"({"mesh":1})", "0"); },
     "scene.gltf", [](const TempFolder& f, pid_t) { return TemporaryBytes(f) > 0; }},
};
}

// Ctrl-C or a request to end: the converter ends by the signal, its worker
// is gone and nothing is left. The converter is stopped at the moment, so
// the signal lands there however fast the machine is.
TEST(ConverterFailures, AnInterruptedConversionLeavesNothing)
{
    for (const InterruptionCase& row : InterruptionCases)
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
        {
            SCOPED_TRACE(std::string(row.moment) + ", signal " + std::to_string(signal));
            TempFolder folder;
            row.writeInput(folder);
            const std::string input = folder.Path(row.input).string(), output = folder.Path("out.txt").string();
            const std::vector<std::string> before = Names(folder.Path());
            // No time limit: at 0 s the worker would be gone before the moment.
            const char* arguments[] = {VexeloModel(), "--time-limit", "0", input.c_str(), output.c_str(), nullptr};
            pid_t converter = 0;
            ASSERT_EQ(posix_spawn(&converter, VexeloModel(), nullptr, nullptr, const_cast<char* const*>(arguments), environ), 0);
            int status = 0;
            for (int wait = 0; wait < 60000 && !row.reached(folder, converter) && waitpid(converter, &status, WNOHANG) == 0; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            kill(converter, SIGSTOP);
            ASSERT_EQ(waitpid(converter, &status, WUNTRACED), converter);
            ASSERT_TRUE(WIFSTOPPED(status)) << "ended before the moment";
            const std::vector<pid_t> workers = ChildrenOf(converter);
            ASSERT_EQ(workers.size(), 1u);
            EXPECT_TRUE(Confined(workers[0]));
            kill(converter, signal);
            kill(converter, SIGCONT);
            ASSERT_EQ(waitpid(converter, &status, 0), converter);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_TRUE(kill(workers[0], 0) != 0 && errno == ESRCH) << "the worker is still there";
            EXPECT_EQ(Names(folder.Path()), before);
        }
}

// On a terminal a line says how far the conversion has come, each stage
// over the last, and is erased before the result; elsewhere the result is
// all there is: one line on standard output.
TEST(ConverterFailures, ProgressShowsOnATerminalOnly)
{
    TempFolder folder;
    Write(folder.Path("box.obj"), "mtllib box.mtl\nusemtl skin\n" + ObjBox(true));
    Write(folder.Path("box.mtl"), "newmtl skin\nmap_Kd skin.png\n");
    MagickImage(folder, "skin.png", "-size 2x2 xc:red");
    const Outcome plain = Convert(folder.Path(), {folder.Path("box.obj"), folder.Path("out.txt")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    ASSERT_EQ(plain.out.find('\n'), plain.out.size() - 1) << plain.out;

    // script gives the converter a terminal and passes on what it writes there.
    const std::string shown = Shell("script -qec \"" + std::string(VexeloModel()) + " '" + folder.Path("box.obj").string() + "' '" +
                                    folder.Path("out.txt").string() + "'\" /dev/null");
    const std::string erase = "\r\033[K", result = erase + plain.out.substr(0, plain.out.size() - 1) + "\r\n";
    ASSERT_GT(shown.size(), result.size()) << shown;
    EXPECT_EQ(shown.substr(shown.size() - result.size()), result);
    std::string stages; // a slow machine may show how far a stage is too
    for (const char* stage : {"importing", "building triangles", "baking 1 image", "writing"})
        stages += std::string(R"(\r\x1b\[Kvexelo-model: )") + stage + R"((\r\x1b\[Kvexelo-model: )" + stage + R"(: \d+ %)*)";
    EXPECT_TRUE(std::regex_match(shown.substr(0, shown.size() - result.size()), std::regex(stages))) << shown;
}
