#pragma once

#include <windows.h>

// Redirects imported functions of one module by rewriting its import address table.
class ImportPatch
{
public:
    // Points every import of the named function (from whichever DLL) at replacement and
    // returns what the table held before, or null if the module does not import it.
    static void* Patch(HMODULE module, const char* functionName, void* replacement);
};
