#pragma once
#include <cstdint>

// Caps the address space of this process by the size of the file it imports.
// Some importers trust a count in the file and reserve memory for it: a file
// of a few hundred bytes can ask for hundreds of gigabytes and the machine
// would fill it. Under the cap such an allocation fails and the import with
// it: the address space on POSIX, the committed memory on Windows (Wine does
// not enforce it). Not applied under the address sanitizer, whose shadow
// memory is already larger than any cap.
class MemoryCap
{
public:
    // A base for the program and small files, plus room for the most a file
    // of this size can legitimately expand to, compressed formats included.
    static std::uint64_t ForFileSize(std::uint64_t fileSize);

    static void Apply(std::uint64_t bytes);
};
