#include "EngineProbe.h"

#include "RemoteLibrary.h"

#include <string>

namespace
{
const DWORD PollMs = 10;
}

EngineProbe::EngineProbe(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(EngineProbeReport),
                                 EngineProbeReportName(processId).c_str());
    if (!mapping)
        return;
    report = static_cast<EngineProbeReport*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(EngineProbeReport)));
    if (report && RemoteLibrary::Load(process, RemoteLibrary::BesideThisProgram(L"engine_probe.dll")))
        WaitUntil([this] { return report->state != EngineProbeStarting; }, timeoutMs);
}

EngineProbe::~EngineProbe()
{
    if (report)
        UnmapViewOfFile(report);
    if (mapping)
        CloseHandle(mapping);
}

bool EngineProbe::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition())
    {
        if (GetTickCount64() >= end)
            return false;
        Sleep(PollMs);
    }
    return true;
}
