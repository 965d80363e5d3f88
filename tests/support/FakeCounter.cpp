#include "support/FakeCounter.h"

#include <cmath>

#include "platform/PerformanceCounter.h"

namespace frayline {

namespace fake {
int64_t counter = 1000;
int64_t frequency = 1000000000;

void Advance(double seconds)
{
    counter += static_cast<int64_t>(std::llround(seconds * static_cast<double>(frequency)));
}
}  // namespace fake

int64_t ReadPerformanceCounter()
{
    return fake::counter;
}

int64_t PerformanceFrequency()
{
    return fake::frequency;
}

}  // namespace frayline
