#include "Sandbox.h"

#if defined(__linux__)

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
// Landlock's rights over files, by the ABI version that brought them: all
// of version 1's (bits 0 to 12), then refer (2), truncate (3) and ioctl on
// devices (5). Numbers from the kernel's landlock.h, for headers older than it.
std::uint64_t LandlockRights(long abi)
{
    std::uint64_t rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;
    if (abi >= 2)
        rights |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3)
        rights |= std::uint64_t(1) << 14;
    if (abi >= 5)
        rights |= std::uint64_t(1) << 15;
    return rights;
}

// Every right the kernel knows is handled, and only reading is granted,
// from the root down.
void MakeFilesReadOnly()
{
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1)
        return; // no Landlock, or disabled
    landlock_ruleset_attr handled{};
    handled.handled_access_fs = LandlockRights(abi);
    const int ruleset = static_cast<int>(syscall(SYS_landlock_create_ruleset, &handled, sizeof handled, 0));
    if (ruleset < 0)
        return;
    const int root = open("/", O_PATH | O_CLOEXEC);
    landlock_path_beneath_attr reading{};
    reading.allowed_access = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
    reading.parent_fd = root;
    if (root >= 0 && syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &reading, 0) == 0)
        syscall(SYS_landlock_restrict_self, ruleset, 0);
    if (root >= 0)
        close(root);
    close(ruleset);
}

struct Refused
{
    const char* call;
    int error;
    // For calls newer than some libseccomp releases: their number, the
    // same on every architecture since Linux 5.1 numbered new calls alike.
    int number = __NR_SCMP_ERROR;
};

// By name, so that a call this architecture does not have is left out.
const Refused RefusedCalls[] = {
    {"execve", EPERM}, {"execveat", EPERM}, {"fork", EPERM}, {"vfork", EPERM},
    // Its flags lie in memory, out of the filter's sight; on ENOSYS glibc
    // starts threads with clone, whose flags the filter reads.
    {"clone3", ENOSYS},
    {"socket", EPERM}, {"socketpair", EPERM}, {"connect", EPERM}, {"bind", EPERM}, {"listen", EPERM},
    {"accept", EPERM}, {"accept4", EPERM},
    {"ptrace", EPERM}, {"process_vm_readv", EPERM}, {"process_vm_writev", EPERM}, {"pidfd_open", EPERM},
    {"pidfd_getfd", EPERM}, {"pidfd_send_signal", EPERM}, {"tkill", EPERM},
    {"unshare", EPERM}, {"setns", EPERM},
    {"io_uring_setup", EPERM}, {"io_uring_enter", EPERM}, {"io_uring_register", EPERM},
    {"chmod", EPERM}, {"fchmod", EPERM}, {"fchmodat", EPERM}, {"fchmodat2", EPERM, 452},
    {"chown", EPERM}, {"fchown", EPERM}, {"lchown", EPERM}, {"fchownat", EPERM},
    {"utime", EPERM}, {"utimes", EPERM}, {"futimesat", EPERM}, {"utimensat", EPERM},
    {"setxattr", EPERM}, {"lsetxattr", EPERM}, {"fsetxattr", EPERM}, {"setxattrat", EPERM, 463},
    {"removexattr", EPERM}, {"lremovexattr", EPERM}, {"fremovexattr", EPERM}, {"removexattrat", EPERM, 466},
};

// Signals that name a process, allowed to this one alone.
const char* const Signalling[] = {"kill", "tgkill", "rt_sigqueueinfo", "rt_tgsigqueueinfo"};

void AddRules(scmp_filter_ctx filter)
{
    for (const Refused& refused : RefusedCalls)
    {
        int call = seccomp_syscall_resolve_name(refused.call);
        if (call == __NR_SCMP_ERROR)
            call = refused.number;
        if (call != __NR_SCMP_ERROR)
            seccomp_rule_add(filter, SCMP_ACT_ERRNO(static_cast<unsigned>(refused.error)), call, 0);
    }
    // The first argument: clone's flags, a signal's process.
    const scmp_arg_cmp noThread{0, SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0};
    seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1, noThread);
    const scmp_arg_cmp another{0, SCMP_CMP_NE, static_cast<scmp_datum_t>(getpid()), 0};
    for (const char* name : Signalling)
    {
        const int call = seccomp_syscall_resolve_name(name);
        if (call != __NR_SCMP_ERROR)
            seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), call, 1, another);
    }
}

// Everything else is allowed: the import library, the C++ runtime and the
// sanitizers make calls nobody lists. Calls of another architecture (x32,
// i386 on x86-64) are refused whole.
void FilterCalls()
{
    const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (filter == nullptr)
        return;
    if (seccomp_attr_set(filter, SCMP_FLTATR_ACT_BADARCH, SCMP_ACT_ERRNO(EPERM)) == 0)
    {
        AddRules(filter);
        seccomp_load(filter);
    }
    seccomp_release(filter);
}
}

void Sandbox::Enter()
{
    // Both need it, and it makes them irrevocable: nothing executed later
    // could gain privileges, and none of them can be lifted.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return;
    MakeFilesReadOnly();
    FilterCalls();
}

#else

void Sandbox::Enter()
{
}

#endif
