#include "OutputFile.h"

#include "SignalsHeld.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#define VEXELO_UNLINK _unlink
#else
#include <unistd.h>
#define VEXELO_UNLINK unlink
#endif

namespace
{
// The names the signal handler removes: fixed storage, as a handler may not
// allocate. A slot's name is complete before the slot is marked taken.
const int Slots = 4;
const std::size_t NameCapacity = 4096;
char names[Slots][NameCapacity];
volatile std::sig_atomic_t taken[Slots];

void (*beforeRemoving)() = nullptr;

extern "C" void RemoveTemporariesAndEnd(int signal)
{
    if (beforeRemoving != nullptr)
        beforeRemoving();
    for (int i = 0; i < Slots; ++i)
        if (taken[i] != 0)
            VEXELO_UNLINK(names[i]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int TakeSlot(const std::string& name)
{
    if (name.size() >= NameCapacity)
        return -1;
    for (int i = 0; i < Slots; ++i)
        if (taken[i] == 0)
        {
            std::memcpy(names[i], name.c_str(), name.size() + 1);
            taken[i] = 1;
            return i;
        }
    return -1;
}

std::string ErrorText()
{
    return std::strerror(errno);
}
}

OutputFile::OutputFile(std::string path) : path(std::move(path))
{
}

OutputFile::~OutputFile()
{
    if (!committed)
        Discard();
    Release();
}

// A new file, never an existing one: "x" refuses a name that is taken.
bool OutputFile::Open(std::string& error)
{
    std::random_device seed;
    std::mt19937 random(seed());
    int cause = EEXIST;
    for (int attempt = 0; attempt < 16 && cause == EEXIST; ++attempt)
    {
        const SignalsHeld held;
        temporary = path + ".partial-" + std::to_string(random() % 1000000);
        stream = std::fopen(temporary.c_str(), "wbx");
        if (stream != nullptr)
        {
            slot = TakeSlot(temporary);
            return true;
        }
        cause = errno;
    }
    error = std::string("cannot create a file beside it: ") + std::strerror(cause);
    temporary.clear();
    return false;
}

bool OutputFile::Flush(bool written, std::string& error)
{
    if (written && std::fflush(stream) == 0)
        return true;
    error = "cannot write: " + ErrorText();
    return false;
}

bool OutputFile::Close(bool written, std::string& error)
{
    if (!written)
        error = "cannot write: " + ErrorText();
    const bool flushed = std::fflush(stream) == 0;
    if (written && !flushed)
        error = "cannot write: " + ErrorText();
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    if (written && flushed && !closed)
        error = "cannot write: " + ErrorText();
    return written && flushed && closed;
}

// Until this object goes, a signal removes the committed file too: another
// file that belongs with it may not have taken its place yet.
bool OutputFile::Commit(std::string& error)
{
    const SignalsHeld held;
    std::error_code code;
    std::filesystem::rename(temporary, path, code);
    if (code)
    {
        error = "cannot replace it: " + code.message();
        return false;
    }
    committed = true;
    if (slot >= 0 && path.size() < NameCapacity)
        std::memcpy(names[slot], path.c_str(), path.size() + 1);
    return true;
}

void OutputFile::Discard()
{
    if (stream != nullptr)
    {
        std::fclose(stream);
        stream = nullptr;
    }
    if (!temporary.empty())
        std::remove(committed ? path.c_str() : temporary.c_str());
    Release();
    temporary.clear();
    committed = false;
}

void OutputFile::Release()
{
    if (slot >= 0)
        taken[slot] = 0;
    slot = -1;
}

void OutputFile::RemoveOnSignals(void (*first)())
{
    beforeRemoving = first;
    for (const int* signal = SignalsHeld::Begin(); signal != SignalsHeld::End(); ++signal)
        std::signal(*signal, RemoveTemporariesAndEnd);
}
