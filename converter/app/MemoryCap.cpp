#include "MemoryCap.h"

#include "Sanitizers.h"

#if defined(_WIN32)
#include <windows.h>
#elif !defined(VEXELO_ADDRESS_SANITIZER)
#include <sys/resource.h>
#endif

namespace
{
const std::uint64_t BaseBytes = std::uint64_t(2) << 30;
const std::uint64_t BytesPerFileByte = 256;
}

std::uint64_t MemoryCap::ForFileSize(std::uint64_t fileSize)
{
    const std::uint64_t most = UINT64_MAX / 2;
    return fileSize >= (most - BaseBytes) / BytesPerFileByte ? most : BaseBytes + fileSize * BytesPerFileByte;
}

void MemoryCap::Apply(std::uint64_t bytes)
{
#if defined(_WIN32)
    // A job of its own inside the worker's (jobs nest since Windows 8) caps
    // the memory it commits; its handle stays open as long as the process.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(bytes);
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, GetCurrentProcess()))
        CloseHandle(job);
#elif !defined(VEXELO_ADDRESS_SANITIZER)
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0)
        return;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= bytes)
        return; // already tighter
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_AS, &limit);
#else
    (void)bytes;
#endif
}
