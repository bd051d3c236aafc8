// end_converter CONVERTER INPUT OUTPUT
// Starts CONVERTER on INPUT (a file its worker never finishes), waits until
// its worker is busy importing, ends the converter with TerminateProcess and
// checks that the worker ends too. Exit status 0 when it does.
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

// Past its start: a tenth of a second of processor time spent importing.
bool Busy(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        return false;
    const ULONGLONG hundredsOfNanoseconds = (ULONGLONG(user.dwHighDateTime) << 32) | user.dwLowDateTime;
    return hundredsOfNanoseconds >= 1000000;
}

// The converter's worker once it is busy, else null.
HANDLE BusyWorker(DWORD converter)
{
    HANDLE worker = nullptr;
    for (DWORD waited = 0; waited < WaitMs; waited += 10)
    {
        Sleep(10);
        const DWORD id = worker == nullptr ? ChildOf(converter) : 0;
        if (id != 0)
            worker = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (worker != nullptr && Busy(worker))
            return worker;
    }
    if (worker != nullptr)
        CloseHandle(worker);
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
    HANDLE workerProcess = BusyWorker(converter.dwProcessId);
    TerminateProcess(converter.hProcess, 1);
    WaitForSingleObject(converter.hProcess, INFINITE);
    if (workerProcess == nullptr)
    {
        std::printf("no worker process got busy\n");
        return 1;
    }
    const bool ended = WaitForSingleObject(workerProcess, WaitMs) == WAIT_OBJECT_0;
    std::printf("the converter was ended; its worker %s\n", ended ? "ended with it" : "is still running");
    if (!ended)
        TerminateProcess(workerProcess, 1);
    return ended ? 0 : 1;
}
