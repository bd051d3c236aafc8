#include "OutputFile.h"

#include "SignalsHeld.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#define VEXELO_UNLINK _unlink
#define VEXELO_FDOPEN _fdopen
#define VEXELO_FILENO _fileno
#else
#include <unistd.h>
#define VEXELO_UNLINK unlink
#define VEXELO_FDOPEN fdopen
#define VEXELO_FILENO fileno
#endif

namespace
{
// The names the signal handler removes: fixed storage, as a handler may not
// allocate. A slot's name is complete before the slot is marked taken.
const int Slots = 4;
const std::size_t NameCapacity = 4096;
char names[Slots][NameCapacity];
volatile std::sig_atomic_t taken[Slots];
// The descriptor of each slot's open temporary, -1 once closed: Windows
// removes no file that is open, so the handler closes it first.
volatile std::sig_atomic_t descriptors[Slots];
// The order in which the slots were taken, for handing them over in it.
int takenAs[Slots];
int slotsTaken = 0;

// In a worker of its own: the inherited handles the next Open calls take.
std::vector<std::intptr_t> handedOver;

void (*beforeRemoving)() = nullptr;

extern "C" void RemoveTemporariesAndEnd(int signal)
{
    if (beforeRemoving != nullptr)
        beforeRemoving();
    for (int i = 0; i < Slots; ++i)
        if (taken[i] != 0)
        {
#if defined(_WIN32)
            if (descriptors[i] >= 0)
                _close(descriptors[i]);
#endif
            VEXELO_UNLINK(names[i]);
        }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int TakeSlot(const std::string& name, std::FILE* stream)
{
    if (name.size() >= NameCapacity)
        return -1;
    for (int i = 0; i < Slots; ++i)
        if (taken[i] == 0)
        {
            std::memcpy(names[i], name.c_str(), name.size() + 1);
            descriptors[i] = VEXELO_FILENO(stream);
            takenAs[i] = slotsTaken++;
            taken[i] = 1;
            return i;
        }
    return -1;
}

std::string ErrorText()
{
    return std::strerror(errno);
}

// A new file, never an existing one.
std::FILE* CreateNew(const std::string& name)
{
#if defined(_WIN32)
    // Windows' own C runtime, which MinGW's programs use, knows no "x".
    const int descriptor = _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0)
        return nullptr;
    std::FILE* stream = _fdopen(descriptor, "wb");
    if (stream == nullptr)
    {
        const int cause = errno;
        _close(descriptor);
        errno = cause;
    }
    return stream;
#else
    return std::fopen(name.c_str(), "wbx");
#endif
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

bool OutputFile::Open(std::string& error)
{
    if (!handedOver.empty())
        return Adopt(error);
    std::random_device seed;
    std::mt19937 random(seed());
    int cause = EEXIST;
    for (int attempt = 0; attempt < 16 && cause == EEXIST; ++attempt)
    {
        const SignalsHeld held;
        temporary = path + ".partial-" + std::to_string(random() % 1000000);
        stream = CreateNew(temporary);
        if (stream != nullptr)
        {
            slot = TakeSlot(temporary, stream);
            return true;
        }
        cause = errno;
    }
    error = std::string("cannot create a file beside it: ") + std::strerror(cause);
    temporary.clear();
    return false;
}

// The worker's end of a temporary the converter opened: no name of its own,
// nothing to remove.
bool OutputFile::Adopt(std::string& error)
{
    const std::intptr_t handle = handedOver.front();
    handedOver.erase(handedOver.begin());
#if defined(_WIN32)
    const int descriptor = _open_osfhandle(handle, _O_WRONLY | _O_BINARY);
#else
    const int descriptor = static_cast<int>(handle);
#endif
    stream = descriptor < 0 ? nullptr : VEXELO_FDOPEN(descriptor, "wb");
    if (stream != nullptr)
        return true;
    error = "cannot write into the file the converter created: " + ErrorText();
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
    Unlisted();
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
        Unlisted();
        std::fclose(stream);
        stream = nullptr;
    }
    if (!temporary.empty())
        std::remove(committed ? path.c_str() : temporary.c_str());
    Release();
    temporary.clear();
    committed = false;
}

void OutputFile::Unlisted()
{
    if (slot >= 0)
        descriptors[slot] = -1;
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

std::vector<std::intptr_t> OutputFile::OpenHandles()
{
    std::vector<std::intptr_t> handles;
    for (int order = 0; order < slotsTaken; ++order)
        for (int i = 0; i < Slots; ++i)
            if (taken[i] != 0 && takenAs[i] == order && descriptors[i] >= 0)
#if defined(_WIN32)
                handles.push_back(_get_osfhandle(descriptors[i]));
#else
                handles.push_back(descriptors[i]);
#endif
    return handles;
}

void OutputFile::TakeHandedOver(std::vector<std::intptr_t> handles)
{
    handedOver = std::move(handles);
}
