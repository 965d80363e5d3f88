#pragma once

#include <cstdint>

// Counts every heap allocation the process makes, in any thread and any
// library: malloc, calloc, realloc, the aligned allocators and operator new
// pass through the wrappers in AllocationCounter.cpp on their way to the C
// library. An allocation whose immediate caller lies in the watched module
// (the plugin) is counted a second time as that module's own, which tells
// the plugin's allocations from the driver's work on its behalf.
namespace frayline::bench {

struct AllocationCounts {
    uint64_t total;
    uint64_t watched;
};

AllocationCounts CountAllocations();

// Watches the loaded module that holds `address`; answers false when no
// module does.
bool WatchModuleAt(const void* address);

}  // namespace frayline::bench
