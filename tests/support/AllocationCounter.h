#pragma once

// Counts heap allocations made between Start and Stop, on any thread.
//
// Linking AllocationCounter.cpp into a test executable replaces the global
// operator new (every form) for the whole executable. C++ code in a shared
// object the executable loads resolves operator new through the dynamic
// linker too, and finds this one first, as the standard's replacement rule
// intends; so the plugin's C++ code counts whether it is linked in or
// loaded. Linux builds also link with --wrap for malloc, calloc and realloc
// (FRAYLINE_WRAP_MALLOC): that redirects the direct C calls of the objects
// linked into the executable, the plugin's own included, but none made
// inside shared libraries such as the GL driver, which allocates as it likes.
#include <cstdint>

namespace frayline::allocations {

struct Counts {
    uint64_t operatorNew = 0;
    uint64_t malloc = 0;  // malloc, calloc and realloc; 0 without the wrap
};

void Start();
Counts Stop();

// Whether direct malloc calls are counted in this build.
bool CountsMalloc();

}  // namespace frayline::allocations
