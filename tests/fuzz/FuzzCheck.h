#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run when a property of the engine does not hold.
#define FUZZ_CHECK(condition, ...)                                  \
    do {                                                            \
        if (!(condition)) {                                         \
            std::fprintf(stderr, "check failed: %s: ", #condition); \
            std::fprintf(stderr, __VA_ARGS__);                      \
            std::fprintf(stderr, "\n");                             \
            std::abort();                                           \
        }                                                           \
    } while (0)
