#pragma once

#include <cstdint>

// The controllable performance counter the unit tests link in place of the
// real one: tests set the tick count and the frequency, never sleep.
namespace frayline::fake {

extern int64_t counter;
extern int64_t frequency;

// Moves the counter on by a number of seconds at the current frequency.
void Advance(double seconds);

}  // namespace frayline::fake
