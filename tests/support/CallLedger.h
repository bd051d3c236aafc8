#pragma once

#include <mutex>
#include <string>
#include <vector>

// Bookkeeping of the fault injection, free of Windows: counts the creating calls while armed,
// decides which one fails, and hands out one-shot results. Results are HRESULT values.
class CallLedger
{
public:
    // The one ledger of the process; never destroyed, as allocations can come late at exit.
    static CallLedger& Instance();

    void Arm(int failAt);  // 0 = only count
    void Disarm();
    int Count() const;
    std::vector<std::string> Calls() const;
    std::string FailedCall() const;
    void FailNext(const std::string& callName, long result, int times);  // times <= 0 cancels

    // Records one creating call. True when it must fail; failure then holds the result.
    // Allocates only while armed (the log), so per-frame calls stay allocation-free otherwise.
    bool Record(const char* callName, long defaultFailure, long& failure);

private:
    struct OneShot
    {
        std::string callName;
        long result;
        int times;
    };

    bool TakeOneShot(const char* callName, long& failure);

    mutable std::mutex mutex;
    bool armed = false;
    int failAt = 0;
    int count = 0;
    std::vector<std::string> calls;
    std::string failedCall;
    std::vector<OneShot> oneShots;
};
