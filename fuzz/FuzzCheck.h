// The fuzz targets' one assertion: a broken property is a finding, so it
// ends the process the way a sanitizer report does and libFuzzer keeps the input.
#ifndef VEXELO_FUZZCHECK_H
#define VEXELO_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

#endif
