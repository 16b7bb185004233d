#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target checks on every input. A violation aborts, which
// libFuzzer treats like a crash: it keeps the input and reports it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
