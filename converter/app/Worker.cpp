#include "Worker.h"

#include "ProgressLine.h"

// In the converter's own process: the build that measures what the worker
// process costs.
#if defined(VEXELO_WORK_IN_PROCESS)

Worker::Outcome Worker::Run(const Work& work, unsigned, ProgressLine& progressLine)
{
    Progress progress(progressLine.Showing() ? [&progressLine](const std::string& text) { progressLine.Show(text); }
                                             : Progress::Sink());
    Outcome outcome;
    outcome.end = End::Reported;
    outcome.succeeded = work(progress, outcome.line);
    return outcome;
}

void Worker::EndRunning()
{
}

#else

#include "Sandbox.h"
#include "Sanitizers.h"
#include "SignalsHeld.h"
#include "WorkerMessages.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace
{
using Clock = std::chrono::steady_clock;

// The worker's process id while it may be running: the signal handler's.
volatile std::sig_atomic_t running = 0;

void Send(int channel, const std::string& message)
{
    for (std::size_t sent = 0; sent < message.size();)
    {
        const ssize_t written = write(channel, message.data() + sent, message.size() - sent);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        sent += static_cast<std::size_t>(written);
    }
}

// The worker's signals do what they do to any program: the converter's
// handlers, which remove its files, are not the worker's business.
void TakeDefaultSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int* signal = SignalsHeld::Begin(); signal != SignalsHeld::End(); ++signal)
    {
        std::signal(*signal, SIG_DFL);
        sigaddset(&set, *signal);
    }
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

// Standard output carries nothing of the worker's, and what a library
// prints on standard error (an abort's last words) would be a second line.
// The sanitizers' reports stay. Nor has the worker anything to read from
// standard input, which could be a socket.
void Quieten()
{
    const int nowhere = open("/dev/null", O_RDWR);
    if (nowhere < 0)
        return;
    dup2(nowhere, 0);
    dup2(nowhere, 1);
#if !defined(VEXELO_ADDRESS_SANITIZER)
    dup2(nowhere, 2);
#endif
    close(nowhere);
}

[[noreturn]] void BeWorker(const Worker::Work& work, int channel, bool progressWanted, pid_t converter)
{
    TakeDefaultSignals();
#if defined(__linux__)
    // Should the converter die unexpectedly, the worker goes with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != converter)
        _exit(1);
#else
    (void)converter;
#endif
    Quieten();
    Sandbox::Enter();
    Progress progress(progressWanted ? [channel](const std::string& text) { Send(channel, WorkerMessages::Progress(text)); }
                                     : Progress::Sink());
    std::string line;
    const bool succeeded = work(progress, line);
    Send(channel, WorkerMessages::Result(succeeded, line));
    _exit(succeeded ? 0 : 1);
}

// Reaps the worker if it has ended; signals wait meanwhile, so that the
// handler never signals a process id that is no longer the worker's.
bool Reaped(pid_t pid, int& status, int options)
{
    const SignalsHeld held;
    pid_t result;
    do
        result = waitpid(pid, &status, options);
    while (result < 0 && errno == EINTR);
    if (result == 0)
        return false;
    running = 0;
    return true;
}

std::string SignalName(int signal)
{
    std::string name = strsignal(signal);
    if (!name.empty())
        name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

class Watch
{
public:
    Watch(pid_t pid, int channel, unsigned seconds, ProgressLine& progressLine)
        : pid(pid), channel(channel), limited(seconds != 0), deadline(Clock::now() + std::chrono::seconds(seconds)),
          progressLine(progressLine)
    {
    }

    Worker::Outcome Wait()
    {
        int status = 0;
        while (!Ended(status))
            if (limited && Clock::now() >= deadline)
            {
                kill(pid, SIGKILL);
                Reaped(pid, status, 0);
                return {Worker::End::TimedOut, false, ""};
            }
        return Judge(status);
    }

private:
    // Reads what the worker says until it closes its end, which it does by
    // ending; then waits for the end itself, a moment later, but never past
    // the deadline, should the end be closed by something else.
    bool Ended(int& status)
    {
        if (!open)
        {
            if (Reaped(pid, status, WNOHANG))
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            return false;
        }
        pollfd ready{channel, POLLIN, 0};
        if (poll(&ready, 1, PollMilliseconds()) <= 0)
            return false;
        char bytes[4096];
        const ssize_t count = read(channel, bytes, sizeof bytes);
        if (count < 0 && errno == EINTR)
            return false;
        if (count <= 0)
        {
            open = false;
            return false;
        }
        messages.Take(bytes, static_cast<std::size_t>(count), progressLine);
        return false;
    }

    int PollMilliseconds() const
    {
        if (!limited)
            return -1;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count() + 1;
        return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
    }

    Worker::Outcome Judge(int status) const
    {
        if (WIFSIGNALED(status))
            return {Worker::End::Crashed, false, SignalName(WTERMSIG(status))};
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (messages.ReportedWith(code))
            return {Worker::End::Reported, messages.Succeeded(), messages.Line()};
        return {Worker::End::Vanished, false, "the conversion ended without a result (exit status " + std::to_string(code) + ")"};
    }

    const pid_t pid;
    const int channel;
    const bool limited;
    const Clock::time_point deadline;
    ProgressLine& progressLine;
    bool open = true;
    WorkerMessages messages;
};
}

Worker::Outcome Worker::Run(const Work& work, unsigned seconds, ProgressLine& progressLine)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {End::Vanished, false, std::string("cannot start the conversion: ") + std::strerror(errno)};
    std::fflush(nullptr);
    const pid_t converter = getpid();
    pid_t pid;
    int cause = 0;
    {
        const SignalsHeld held;
        pid = fork();
        cause = errno;
        if (pid == 0)
        {
            close(channel[0]);
            BeWorker(work, channel[1], progressLine.Showing(), converter);
        }
        if (pid > 0)
            running = pid;
    }
    close(channel[1]);
    if (pid < 0)
    {
        close(channel[0]);
        return {End::Vanished, false, std::string("cannot start the conversion: ") + std::strerror(cause)};
    }
    Outcome outcome = Watch(pid, channel[0], seconds, progressLine).Wait();
    close(channel[0]);
    return outcome;
}

void Worker::EndRunning()
{
    const pid_t pid = running;
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR)
    {
    }
    running = 0;
}

#endif
