#pragma once

#include <cstdio>

// Build with -DMIRREL_DETECTOR_TRACE to follow every proposal on standard error.
#ifdef MIRREL_DETECTOR_TRACE
#define TRACE(...) std::fprintf(stderr, __VA_ARGS__)
#else
#define TRACE(...) static_cast<void>(sizeof(std::fprintf(stderr, __VA_ARGS__)))
#endif
