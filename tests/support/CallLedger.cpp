#include "CallLedger.h"

#include <new>

CallLedger& CallLedger::Instance()
{
    alignas(CallLedger) static unsigned char storage[sizeof(CallLedger)];
    static CallLedger* ledger = new (storage) CallLedger();
    return *ledger;
}

void CallLedger::Arm(int failAtCall)
{
    std::lock_guard<std::mutex> lock(mutex);
    armed = true;
    failAt = failAtCall;
    count = 0;
    calls.clear();
    failedCall.clear();
}

void CallLedger::Disarm()
{
    std::lock_guard<std::mutex> lock(mutex);
    armed = false;
}

int CallLedger::Count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return count;
}

std::vector<std::string> CallLedger::Calls() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
}

std::string CallLedger::FailedCall() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return failedCall;
}

void CallLedger::FailNext(const std::string& callName, long result, int times)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = oneShots.begin(); it != oneShots.end();)
        it = it->callName == callName ? oneShots.erase(it) : it + 1;
    if (times > 0)
        oneShots.push_back(OneShot{callName, result, times});
}

bool CallLedger::Record(const char* callName, long defaultFailure, long& failure)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (armed)
    {
        ++count;
        calls.emplace_back(callName);
    }
    // The armed failure goes first; a pending one-shot then waits for the next call.
    if (armed && count == failAt)
    {
        failedCall = callName;
        failure = defaultFailure;
        return true;
    }
    return TakeOneShot(callName, failure);
}

bool CallLedger::TakeOneShot(const char* callName, long& failure)
{
    for (auto it = oneShots.begin(); it != oneShots.end(); ++it)
    {
        if (it->callName != callName)
            continue;
        failure = it->result;
        if (--it->times == 0)
            oneShots.erase(it);
        return true;
    }
    return false;
}
