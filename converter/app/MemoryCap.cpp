#include "MemoryCap.h"

#include "Sanitizers.h"

#if !defined(_WIN32) && !defined(VEXELO_ADDRESS_SANITIZER)
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
#if !defined(_WIN32) && !defined(VEXELO_ADDRESS_SANITIZER)
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
