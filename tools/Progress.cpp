#include "tools/Progress.h"

#include <cstdio>

namespace frayline {

Progress::Progress(bool enabled, uint64_t total)
    : enabled_(enabled), total_(total), start_(Clock::now()), last_(start_)
{
}

Progress::~Progress()
{
    Finish();
}

void Progress::Update(uint64_t done)
{
    done_ = done;
    const Clock::time_point now = Clock::now();
    if (!enabled_ || now - last_ < std::chrono::milliseconds(200))
        return;
    last_ = now;
    Draw(done);
}

void Progress::Finish()
{
    if (!enabled_)
        return;
    Draw(done_);
    std::fputc('\n', stderr);
    enabled_ = false;
}

void Progress::Draw(uint64_t done)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? done / seconds : 0.0;
    if (total_)
        std::fprintf(stderr, "\rframe %llu/%llu, %.1f frames/s ",
                     static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_),
                     rate);
    else
        std::fprintf(stderr, "\rframe %llu, %.1f frames/s ", static_cast<unsigned long long>(done),
                     rate);
    std::fflush(stderr);
}

}  // namespace frayline
