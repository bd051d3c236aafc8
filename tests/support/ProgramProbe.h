#pragma once

#include "ChildProcess.h"
#include "ProbeReport.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Starts a program with program_probe.dll inside and reads what the probe reports: frames
// presented and how, its menu, DirectInput reads and the cursor count. The probe is loaded
// while the program's first thread is still held, before any code of the program has run,
// and hooks only imports: what it watches is patched later on the program's own thread, as
// the program creates it.
//
// Never into a running program: Wine carries out another process's VirtualAllocEx,
// CreateRemoteThread and VirtualFreeEx on a thread of the target, and a busy thread does it
// in a signal handler that may have interrupted malloc, which leaves the program deadlocked
// or its heap broken. The held first thread takes them in a wait instead.
class ProgramProbe
{
public:
    ProgramProbe() = default;
    ~ProgramProbe();
    ProgramProbe(const ProgramProbe&) = delete;
    ProgramProbe& operator=(const ProgramProbe&) = delete;

    // Starts the program through `program` (as ChildProcess::Start) with the probe in place;
    // false, with the program ended, if the probe could not be loaded.
    bool Start(ChildProcess& program, const std::wstring& exePath, const std::wstring& workingDirectory,
               const std::vector<std::wstring>& environment = {});

    LONG Presents() const { return Read(&ProbeReport::presents); }
    // Bit n is set once the program presented with sync interval n.
    LONG SyncIntervals() const { return Read(&ProbeReport::syncIntervals); }
    LONG PresentFlags() const { return Read(&ProbeReport::presentFlags); }
    LONG ReadsTaken() const { return Read(&ProbeReport::readsTaken); }
    LONG ReadsLost() const { return Read(&ProbeReport::readsLost); }
    LONG CursorCalls() const { return Read(&ProbeReport::cursorCalls); }
    LONG CursorCount() const { return Read(&ProbeReport::cursorCount); }
    std::wstring Menu() const;

    // True once Presents() reaches count, false if it did not within the time.
    bool WaitForPresents(LONG count, DWORD timeoutMs) const;
    // Polls until the condition holds; false if it did not within the time.
    static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

private:
    LONG Read(volatile LONG ProbeReport::*field) const { return report ? report->*field : 0; }
    bool Load(HANDLE process) const;
    void Close();

    HANDLE mapping = nullptr;
    ProbeReport* report = nullptr;
};
