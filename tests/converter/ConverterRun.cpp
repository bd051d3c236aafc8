#include "ConverterRun.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
std::string Slurp(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
}

ConverterRun ConverterRun::Start(const std::vector<std::string>& arguments, const std::string& scratch,
                                 int timeLimitSeconds)
{
    const std::string outPath = scratch + "/run.out", errPath = scratch + "/run.err";
    std::vector<char*> argv{const_cast<char*>(VEXELO_MODEL)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    ConverterRun run;
    const pid_t child = fork();
    if (child == 0)
    {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(127);
        execv(VEXELO_MODEL, argv.data());
        _exit(127);
    }
    if (child < 0)
        return run;

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeLimitSeconds);
    while (waitpid(child, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            run.timedOut = true;
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!run.timedOut && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    run.out = Slurp(outPath);
    run.err = Slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

long long ConverterRun::Triangles() const
{
    const std::size_t end = out.find(" triangles, ");
    const std::size_t start = out.rfind(' ', end - 1);
    if (end == std::string::npos || start == std::string::npos)
        return -1;
    return std::atoll(out.c_str() + start + 1);
}

std::string ConverterRun::Describe() const
{
    std::ostringstream text;
    text << (timedOut ? "timed out" : signal != 0 ? "killed by signal " + std::to_string(signal)
                                                  : "exit " + std::to_string(exitCode))
         << "; stdout: " << out << "; stderr: " << err;
    return text.str();
}
