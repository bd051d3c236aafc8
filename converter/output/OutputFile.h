#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A file written beside its path under a temporary name and renamed over the
// path only once complete. A failure, an exception, or Ctrl-C or a request to
// terminate (once RemoveOnSignals ran) leaves no temporary behind; a signal
// before the object goes removes even the committed file, so that files
// committed together appear together or not at all.
class OutputFile
{
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary; the cause of a failure goes to error.
    bool Open(std::string& error);
    std::FILE* Stream() const { return stream; }
    // Hands what was written into Stream() to the file: a process that
    // shares the stream (a worker) does this before it ends. written says
    // whether the writing into Stream() went well.
    bool Flush(bool written, std::string& error);
    // Flushes and closes the temporary; written says whether the writing
    // into Stream() went well.
    bool Close(bool written, std::string& error);
    bool Commit(std::string& error);
    // Removes the temporary, or the committed file.
    void Discard();

    const std::string& Path() const { return path; }

    // On SIGINT, SIGTERM (and SIGHUP, SIGBREAK where there are) every open
    // temporary is removed before the signal ends the process as usual;
    // first, when given, runs before (it must be safe in a signal handler).
    static void RemoveOnSignals(void (*first)() = nullptr);

    // For a worker that is a program of its own (Windows): the system's
    // handles of the temporaries open now, in the order they were opened...
    static std::vector<std::intptr_t> OpenHandles();
    // ...and, in the worker, the same handles inherited: the next Open calls
    // take them in that order instead of creating files. The converter
    // alone removes or commits them.
    static void TakeHandedOver(std::vector<std::intptr_t> handles);

private:
    bool Adopt(std::string& error);
    // The stream is closing: the signal handler leaves it alone.
    void Unlisted();
    void Release();

    std::string path;
    std::string temporary;
    std::FILE* stream = nullptr;
    int slot = -1;
    bool committed = false;
};
