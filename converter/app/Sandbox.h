#pragma once

// Takes from the calling process, for good, what an import never needs, so
// that a file made to take over the import library gains no more than the
// import has: reading files and writing into the files it was handed open.
// On Linux, with no new privileges from then on:
// - Landlock makes the file system read-only: any file may still be read
//   (a model's images may be named from anywhere), none created, written,
//   truncated, renamed, removed or executed; files opened before stay as
//   they were opened, as Landlock checks at opening;
// - a seccomp filter refuses other programs, processes other than the
//   caller's own threads, sockets, reaching into other processes (tracing,
//   their memory, their signals), new namespaces, io_uring (whose work the
//   filter would not see) and the changes to files Landlock leaves (mode,
//   owner, times, extended attributes).
// A refused call fails with EPERM (Landlock's with EACCES), never ends the
// process. Whatever the kernel lacks is left out, silently. Call it while
// the process has one thread: threads started later inherit it, others not.
// Elsewhere it does nothing.
class Sandbox
{
public:
    static void Enter();
};
