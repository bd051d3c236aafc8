// The Engine program with fault injection armed from the environment, so
// tests can drive it into start-up failures a healthy machine never shows:
//   VEXELO_FAIL_CALL    a creating call to fail once, e.g. IDirectInputDevice8W::Acquire
//   VEXELO_FAIL_RESULT  its result in hex (default E_FAIL)
//   VEXELO_FAIL_AT      k: the k-th creating call of the run fails
#include "FaultInjection.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace
{
bool ReadVariable(const char* name, std::string& value)
{
    char buffer[256];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer))
        return false;
    value.assign(buffer, length);
    return true;
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

    return WinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
