// end_converter CONVERTER INPUT OUTPUT
// Starts CONVERTER on INPUT (a file its worker never finishes), waits until
// its worker reads INPUT, ends the converter with TerminateProcess and checks
// that the worker ends too. Exit status 0 when it does.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace
{
const DWORD WaitMs = 20000;

// The first process whose parent is parent, 0 while there is none.
DWORD ChildOf(DWORD parent)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    DWORD child = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && child == 0; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent)
            child = entry.th32ProcessID;
    CloseHandle(snapshot);
    return child;
}

// The worker holds the input open while it reads it: then the file cannot be
// opened for this process alone.
bool Reading(const char* input)
{
    HANDLE file = CreateFileA(input, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

// The converter's worker once it reads the input, else null.
HANDLE ReadingWorker(DWORD converter, const char* input)
{
    for (DWORD waited = 0; waited < WaitMs; waited += 10)
    {
        Sleep(10);
        const DWORD id = ChildOf(converter);
        if (id != 0 && Reading(input))
            return OpenProcess(SYNCHRONIZE, FALSE, id);
    }
    return nullptr;
}
}

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: end_converter CONVERTER INPUT OUTPUT\n");
        return 2;
    }
    std::string commandLine =
        "\"" + std::string(argv[1]) + "\" --time-limit 0 \"" + argv[2] + "\" \"" + argv[3] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION converter = {};
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &converter))
    {
        std::printf("cannot start the converter: error %lu\n", GetLastError());
        return 1;
    }
    HANDLE workerProcess = ReadingWorker(converter.dwProcessId, argv[2]);
    TerminateProcess(converter.hProcess, 1);
    WaitForSingleObject(converter.hProcess, INFINITE);
    if (workerProcess == nullptr)
    {
        std::printf("no worker process read the input\n");
        return 1;
    }
    const bool ended = WaitForSingleObject(workerProcess, WaitMs) == WAIT_OBJECT_0;
    std::printf("the converter was ended; its worker %s\n", ended ? "ended with it" : "is still running");
    if (!ended)
        TerminateProcess(workerProcess, 1);
    return ended ? 0 : 1;
}
