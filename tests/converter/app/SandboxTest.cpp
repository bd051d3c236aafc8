// The worker as the converter starts it, with a probe in place of the
// conversion: what an import never needs fails in it with a permission
// error, though a plain child of the test manages each; reading the input,
// writing a temporary opened before and starting threads go on.
#include "ConverterTestSupport.h"
#include "ProgressLine.h"
#include "Worker.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <linux/sched.h>
#include <netinet/in.h>
#include <ostream>
#include <string>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace
{
// What a probe has: a folder with an input and an existing model file, a
// temporary opened before the worker starts, a listener's port, and the
// test's own process in the converter's place.
struct Scene
{
    std::string folder;
    std::FILE* temporary;
    int port;
    pid_t converter;
};

enum class Expected
{
    Works,
    Refused, // EPERM or EACCES
    Missing, // ENOSYS, so that glibc falls back to a call the filter can read
};

struct ProbeCase
{
    const char* name;
    Expected confined;
    bool byLandlock; // skipped where the kernel has no Landlock
    int (*attempt)(const Scene&); // 0 if it could, else errno
};

void PrintTo(const ProbeCase& row, std::ostream* out) { *out << row.name; }

int Done(bool done) { return done ? 0 : errno; }

int Opened(const std::string& path, int flags)
{
    const int file = open(path.c_str(), flags, 0644);
    if (file < 0)
        return errno;
    char byte;
    const bool read = (flags & O_ACCMODE) != O_RDONLY || ::read(file, &byte, 1) == 1;
    close(file);
    return Done(read);
}

// A child that ends at once, as fork or clone3 make it.
int Started(long pid)
{
    if (pid == 0)
        _exit(0);
    return pid < 0 ? errno : Done(waitpid(pid_t(pid), nullptr, 0) == pid);
}

int Connected(int port)
{
    const int channel = socket(AF_INET, SOCK_STREAM, 0);
    if (channel < 0)
        return errno;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int error = Done(connect(channel, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
    close(channel);
    return error;
}

const ProbeCase ProbeCases[] = {
    {"read the input", Expected::Works, false, [](const Scene& s) { return Opened(s.folder + "/box.obj", O_RDONLY); }},
    {"write the temporary", Expected::Works, false,
     [](const Scene& s) { return Done(std::fputs("written", s.temporary) >= 0 && std::fflush(s.temporary) == 0); }},
    {"start a thread", Expected::Works, false,
     [](const Scene&) {
         try
         {
             std::thread([] {}).join();
             return 0;
         }
         catch (const std::system_error& error)
         {
             return error.code().value();
         }
     }},
    {"create a file beside the output", Expected::Refused, true,
     [](const Scene& s) { return Opened(s.folder + "/new.txt", O_WRONLY | O_CREAT | O_EXCL); }},
    {"open an existing file for writing", Expected::Refused, true,
     [](const Scene& s) { return Opened(s.folder + "/model.txt", O_WRONLY); }},
    {"remove a file", Expected::Refused, true, [](const Scene& s) { return Done(unlink((s.folder + "/model.txt").c_str()) == 0); }},
    {"execute /bin/true", Expected::Refused, false,
     [](const Scene&) { return Done(execl("/bin/true", "true", static_cast<char*>(nullptr)) == 0); }},
    {"start a process", Expected::Refused, false, [](const Scene&) { return Started(fork()); }},
    {"start a process with clone3", Expected::Missing, false,
     [](const Scene&) {
         clone_args arguments{};
         arguments.exit_signal = SIGCHLD;
         return Started(syscall(SYS_clone3, &arguments, sizeof arguments));
     }},
    {"connect to a listener", Expected::Refused, false, [](const Scene& s) { return Connected(s.port); }},
    // Seized, the converter goes on running; the tracer's end lets it go.
    {"trace the converter", Expected::Refused, false,
     [](const Scene& s) { return Done(ptrace(PTRACE_SEIZE, s.converter, nullptr, nullptr) == 0); }},
    {"signal the converter", Expected::Refused, false, [](const Scene& s) { return Done(kill(s.converter, 0) == 0); }},
    // Landlock leaves a file's mode to anyone who may open it.
    {"change a file's mode", Expected::Refused, false,
     [](const Scene& s) { return Done(chmod((s.folder + "/model.txt").c_str(), 0600) == 0); }},
};

// The row in a plain child: its exit code is the attempt's (exec'd
// /bin/true's 0 when it could).
int Unconfined(const ProbeCase& row, const Scene& scene)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(row.attempt(scene));
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ConverterSandbox : public ::testing::TestWithParam<ProbeCase>
{
};
}

TEST_P(ConverterSandbox, TheWorkerCanDoWhatAnImportNeedsAndNothingElse)
{
    const ProbeCase& row = GetParam();
    if (row.byLandlock && syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) < 1)
        GTEST_SKIP() << "Landlock is missing or disabled in this kernel: " << std::strerror(errno);

    TempFolder folder;
    Write(folder.Path("box.obj"), ObjBox(false));
    Write(folder.Path("model.txt"), "earlier");
    std::FILE* temporary = std::fopen(folder.Path("model.txt.partial-1").c_str(), "wbx");
    ASSERT_NE(temporary, nullptr);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_TRUE(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && listen(listener, 4) == 0 &&
                getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);
    const Scene scene{folder.Path().string(), temporary, ntohs(address.sin_port), getpid()};
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY); // where Yama lets only ancestors trace

    ProgressLine progressLine;
    const Worker::Outcome confined = Worker::Run(
        [&row, &scene](Progress&, std::string& line) {
            const int error = row.attempt(scene);
            line = std::to_string(error);
            return error == 0;
        },
        20, progressLine);
    ASSERT_EQ(int(confined.end), int(Worker::End::Reported)) << confined.line;
    const int error = std::stoi(confined.line);
    switch (row.confined)
    {
    case Expected::Works: EXPECT_EQ(error, 0) << std::strerror(error); break;
    case Expected::Refused: EXPECT_TRUE(error == EPERM || error == EACCES) << std::strerror(error); break;
    case Expected::Missing: EXPECT_EQ(error, ENOSYS) << std::strerror(error); break;
    }
    EXPECT_EQ(Unconfined(row, scene), 0) << "not even a plain child can";
    prctl(PR_SET_PTRACER, 0);
    std::fclose(temporary);
    close(listener);
}

INSTANTIATE_TEST_SUITE_P(EachProbe, ConverterSandbox, ::testing::ValuesIn(ProbeCases));
