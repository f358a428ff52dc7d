#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise of the code under test: print it and abort, which the
// fuzzer records as a crash together with the input that caused it.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)
