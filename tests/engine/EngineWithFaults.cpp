// The Engine program with fault injection armed from the environment, so
// tests can drive it into start-up failures a healthy machine never shows:
//   VEXELO_FAIL_CALL    a creating call to fail once, e.g. IDirectInputDevice8W::Acquire
//   VEXELO_FAIL_RESULT  its result in hex (default E_FAIL)
//   VEXELO_FAIL_AT      k: the k-th creating call of the run fails
//   VEXELO_CALL_LOG     a file that receives the creating calls of the run, one a line
// It ends with the program's exit code, or with OutlivedExitCode when the
// device, the swap chain or the DirectInput object was not released in full.
#include "FaultInjection.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
const int OutlivedExitCode = 3;

bool ReadVariable(const char* name, std::string& value)
{
    char buffer[256];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer))
        return false;
    value.assign(buffer, length);
    return true;
}

void WriteCallLog(const std::string& fileName)
{
    std::ofstream log(fileName);
    for (const std::string& call : FaultInjection::Calls())
        log << call << '\n';
}
}

int main()
{
    FaultInjection::Install();

    std::string value;
    if (ReadVariable("VEXELO_FAIL_CALL", value))
    {
        std::string result;
        HRESULT failure = E_FAIL;
        if (ReadVariable("VEXELO_FAIL_RESULT", result))
            failure = static_cast<HRESULT>(std::strtoul(result.c_str(), nullptr, 16));
        FaultInjection::FailNext(value, failure);
    }
    if (ReadVariable("VEXELO_FAIL_AT", value))
        FaultInjection::Arm(std::atoi(value.c_str()));

    FaultInjection::HoldRoots(true);
    const int exitCode = WinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
    FaultInjection::HoldRoots(false);
    if (ReadVariable("VEXELO_CALL_LOG", value))
        WriteCallLog(value);
    for (const auto& root : FaultInjection::ReleaseHeldRoots())
        if (root.second != 0)
            return OutlivedExitCode;
    return exitCode;
}
