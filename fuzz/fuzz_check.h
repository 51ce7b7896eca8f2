// A check that stays on in every build of the fuzz targets: a failure prints
// the condition and aborts, which libFuzzer reports as a crash with its input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define VANTREL_FUZZ_CHECK(condition)                                                                        \
    do {                                                                                                       \
        if (!(condition)) {                                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                 \
            std::abort();                                                                                      \
        }                                                                                                      \
    } while (false)
