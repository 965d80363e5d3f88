#pragma once

#include <cstdint>

// The high-resolution monotonic counter behind each instance's clock.
// Windows builds read QueryPerformanceCounter and QueryPerformanceFrequency;
// Linux builds count nanoseconds of CLOCK_MONOTONIC at a frequency of 1e9.
// The unit tests link a controllable counter in place of this one.
namespace frayline {

int64_t ReadPerformanceCounter();
int64_t PerformanceFrequency();  // ticks per second

}  // namespace frayline
