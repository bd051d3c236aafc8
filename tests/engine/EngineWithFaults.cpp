// The Engine program with fault injection armed from the environment, so
// tests can drive it into start-up failures a healthy machine never shows:
//   VEXELO_FAIL_CALL    a creating call to fail once, e.g. IDirectInputDevice8W::Acquire
//   VEXELO_FAIL_RESULT  its result in hex (default E_FAIL)
//   VEXELO_FAIL_AT      k: the k-th creating call of the run fails
#include "FaultInjection.h"

#include <windows.h>

#include <cstdlib>

int main()
{
    FaultInjection::Install();

    if (const char* call = std::getenv("VEXELO_FAIL_CALL"))
    {
        const char* result = std::getenv("VEXELO_FAIL_RESULT");
        HRESULT failure = result ? static_cast<HRESULT>(std::strtoul(result, nullptr, 16)) : E_FAIL;
        FaultInjection::FailNext(call, failure);
    }
    if (const char* failAt = std::getenv("VEXELO_FAIL_AT"))
        FaultInjection::Arm(std::atoi(failAt));

    return WinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
