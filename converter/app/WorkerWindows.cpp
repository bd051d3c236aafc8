#include "Worker.h"

#include "OutputFile.h"
#include "ProgressLine.h"
#include "WorkerMessages.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Windows has no fork: the converter starts its own program again, with a
// hidden first argument naming the inherited handles (the pipe the worker
// reports on and the temporaries the converter created), inside a job object
// that ends the worker with the converter, lets it start no process and
// takes its memory cap (MemoryCap).

namespace
{
// --vexelo-worker=CHANNEL:PROGRESS:HANDLE...
const char RoleArgument[] = "--vexelo-worker=";

// The exit status the converter gives a worker it ends at the time limit or
// on Ctrl-C.
const UINT EndedByConverter = 0xE0DE0001;

// In the worker: where it reports, and whether progress is wanted.
HANDLE channelOfWorker = nullptr;
bool progressWanted = false;

// In the converter: the running worker's job and process, for EndRunning,
// which Ctrl-C runs on a thread of its own.
std::mutex runningLock;
HANDLE runningJob = nullptr;
HANDLE runningProcess = nullptr;

std::string SystemError(DWORD code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

void Send(const std::string& message)
{
    for (std::size_t sent = 0; sent < message.size();)
    {
        DWORD written = 0;
        if (!WriteFile(channelOfWorker, message.data() + sent, static_cast<DWORD>(message.size() - sent), &written,
                       nullptr) ||
            written == 0)
            return;
        sent += written;
    }
}

[[noreturn]] void BeWorker(const Worker::Work& work)
{
    Progress progress(progressWanted ? [](const std::string& text) { Send(WorkerMessages::Progress(text)); }
                                     : Progress::Sink());
    std::string line;
    const bool succeeded = work(progress, line);
    Send(WorkerMessages::Result(succeeded, line));
    // As the POSIX worker: the scene and the model are not freed.
    std::_Exit(succeeded ? 0 : 1);
}

std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"";
        if (length < path.size())
        {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The converter's own command line with the role argument after the
// program's name, which the C runtime takes up to the closing quote, or up
// to the first blank when unquoted.
std::wstring WorkerCommandLine(const std::string& role)
{
    const std::wstring line = GetCommandLineW();
    std::size_t end = 0;
    if (!line.empty() && line[0] == L'"')
    {
        end = line.find(L'"', 1);
        end = end == std::wstring::npos ? line.size() : end + 1;
    }
    else
        end = std::min(line.find_first_of(L" \t"), line.size());
    return line.substr(0, end) + L" " + std::wstring(role.begin(), role.end()) + line.substr(end);
}

// Kill on close: the worker ends with the converter, however the converter
// ends. One process: the worker starts none (Windows enforces this; Wine
// does not). An unhandled exception ends the worker at once.
HANDLE CreateJob()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_ACTIVE_PROCESS | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.BasicLimitInformation.ActiveProcessLimit = 1;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
    {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

std::string ExceptionName(DWORD code)
{
    switch (code)
    {
    case 0xC0000005:
        return "access violation";
    case 0xC00000FD:
        return "stack overflow";
    case 0xC0000094:
        return "integer division by zero";
    case 0xC0000095:
        return "integer overflow";
    case 0xC000001D:
        return "illegal instruction";
    case 0xC0000096:
        return "privileged instruction";
    case 0xC0000006:
        return "in-page error";
    case 0xC000008C:
        return "array bounds exceeded";
    case 0xC0000374:
        return "heap corruption";
    case 0xC0000409:
        return "stack buffer overrun";
    case 0xC0000017:
        return "out of memory";
    case 0xC0000025:
        return "noncontinuable exception";
    case 0x80000003:
        return "breakpoint";
    default:
        break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
    return text;
}

class Watch
{
public:
    Watch(HANDLE process, HANDLE job, HANDLE channel, unsigned seconds, ProgressLine& progressLine)
        : process(process), job(job), channel(channel), seconds(seconds), progressLine(progressLine)
    {
    }

    Worker::Outcome Wait()
    {
        std::thread watchdog;
        if (seconds != 0)
            watchdog = std::thread([this] { EndAtTheLimit(); });
        Read();
        WaitForSingleObject(process, INFINITE);
        if (watchdog.joinable())
            watchdog.join();
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        return Judge(code);
    }

private:
    // Waits for the worker's end, in steps a DWORD of milliseconds holds.
    void EndAtTheLimit()
    {
        for (unsigned long long left = seconds * 1000ULL; left > 0;)
        {
            const DWORD step = static_cast<DWORD>(std::min<unsigned long long>(left, 0x7FFFFFFF));
            if (WaitForSingleObject(process, step) != WAIT_TIMEOUT)
                return;
            left -= step;
        }
        timedOut = true;
        TerminateJobObject(job, EndedByConverter);
    }

    // What the worker says, until its end closes the pipe: the converter
    // holds no write end, and the worker can start no process that would.
    void Read()
    {
        char bytes[4096];
        DWORD count = 0;
        while (ReadFile(channel, bytes, sizeof bytes, &count, nullptr) && count > 0)
        {
            messages.Take(bytes, count, progressLine);
        }
    }

    // An exception's code as the exit status is a crash; so is 3, the C
    // runtime's abort (an uncaught C++ exception aborts).
    Worker::Outcome Judge(DWORD code) const
    {
        if (timedOut)
            return {Worker::End::TimedOut, false, ""};
        if (messages.ReportedWith(code))
            return {Worker::End::Reported, messages.Succeeded(), messages.Line()};
        if (code >= 0xC0000000 || code == 0x80000003)
            return {Worker::End::Crashed, false, ExceptionName(code)};
        if (code == 3)
            return {Worker::End::Crashed, false, "aborted"};
        return {Worker::End::Vanished, false,
                "the conversion ended without a result (exit status " + std::to_string(code) + ")"};
    }

    const HANDLE process;
    const HANDLE job;
    const HANDLE channel;
    const unsigned seconds;
    ProgressLine& progressLine;
    std::atomic<bool> timedOut{false};
    WorkerMessages messages;
};

Worker::Outcome CannotStart(DWORD code)
{
    return {Worker::End::Vanished, false, "cannot start the conversion: " + SystemError(code)};
}

void Inherit(const std::vector<HANDLE>& handles, bool inherit)
{
    for (HANDLE handle : handles)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inherit ? HANDLE_FLAG_INHERIT : 0);
}

// Started suspended, so that it runs no instruction outside the job.
bool Start(const std::string& role, const std::vector<HANDLE>& inherited, HANDLE job, PROCESS_INFORMATION& started,
           DWORD& cause)
{
    const std::wstring program = ProgramPath();
    std::wstring commandLine = WorkerCommandLine(role);
    // No standard handles: what a library prints would be a second line.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    std::fflush(nullptr);
    Inherit(inherited, true);
    const BOOL created = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
    cause = GetLastError();
    Inherit(inherited, false);
    if (!created)
        return false;
    if (!AssignProcessToJobObject(job, started.hProcess))
    {
        cause = GetLastError();
        TerminateProcess(started.hProcess, EndedByConverter);
        WaitForSingleObject(started.hProcess, INFINITE);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return false;
    }
    return true;
}
}

void Worker::TakeRole(int& argc, char** argv)
{
    const std::size_t length = sizeof RoleArgument - 1;
    if (argc < 2 || std::strncmp(argv[1], RoleArgument, length) != 0)
        return;
    // A crash ends the worker without a dialog: the converter reports it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::vector<std::intptr_t> values;
    for (const char* field = argv[1] + length; *field != '\0';)
    {
        char* end = nullptr;
        values.push_back(static_cast<std::intptr_t>(std::strtoull(field, &end, 10)));
        field = *end == ':' ? end + 1 : end + std::strlen(end);
    }
    if (values.size() < 2)
        std::_Exit(2);
    channelOfWorker = reinterpret_cast<HANDLE>(values[0]);
    progressWanted = values[1] != 0;
    OutputFile::TakeHandedOver(std::vector<std::intptr_t>(values.begin() + 2, values.end()));
    for (int i = 1; i + 1 < argc; ++i)
        argv[i] = argv[i + 1];
    argv[--argc] = nullptr;
}

Worker::Outcome Worker::Run(const Work& work, unsigned seconds, ProgressLine& progressLine)
{
    if (channelOfWorker != nullptr)
        BeWorker(work);

    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0))
        return CannotStart(GetLastError());
    std::vector<HANDLE> inherited{writeEnd};
    std::string role = RoleArgument + std::to_string(reinterpret_cast<std::uintptr_t>(writeEnd)) + ":" +
                       (progressLine.Showing() ? "1" : "0");
    for (std::intptr_t handle : OutputFile::OpenHandles())
    {
        inherited.push_back(reinterpret_cast<HANDLE>(handle));
        role += ":" + std::to_string(handle);
    }

    HANDLE job = CreateJob();
    DWORD cause = GetLastError();
    PROCESS_INFORMATION started{};
    const bool running = job != nullptr && Start(role, inherited, job, started, cause);
    CloseHandle(writeEnd);
    if (!running)
    {
        if (job != nullptr)
            CloseHandle(job);
        CloseHandle(readEnd);
        return CannotStart(cause);
    }
    {
        const std::lock_guard<std::mutex> lock(runningLock);
        runningJob = job;
        runningProcess = started.hProcess;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);

    Outcome outcome = Watch(started.hProcess, job, readEnd, seconds, progressLine).Wait();
    {
        const std::lock_guard<std::mutex> lock(runningLock);
        runningJob = nullptr;
        runningProcess = nullptr;
    }
    CloseHandle(job);
    CloseHandle(started.hProcess);
    CloseHandle(readEnd);
    return outcome;
}

// Ctrl-C's handler runs on a thread of its own: it may wait for the lock,
// and keeps it, as the process ends next. The main thread, woken by the
// worker's end, then waits for the lock instead of reporting that end and
// ending the process beside the handler: two threads ending a process at
// once can leave it hung (seen under Wine, once in some hundred Ctrl-Cs).
void Worker::EndRunning()
{
    runningLock.lock();
    if (runningJob == nullptr)
        return;
    TerminateJobObject(runningJob, EndedByConverter);
    WaitForSingleObject(runningProcess, INFINITE);
}
