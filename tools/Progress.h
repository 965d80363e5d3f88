#pragma once

#include <chrono>
#include <cstdint>

namespace frayline {

// The progress line of a sequence on standard error: "frame 12/100,
// 29.8 frames/s", redrawn in place a few times a second. Does nothing when
// disabled (standard error is not a terminal, or --quiet).
class Progress {
public:
    // `total` 0 for a stream of unknown length.
    Progress(bool enabled, uint64_t total);
    ~Progress();

    void Update(uint64_t done);

    // Draws the last state and ends the line; the destructor does it too.
    void Finish();

private:
    void Draw(uint64_t done);

    using Clock = std::chrono::steady_clock;
    bool enabled_;
    uint64_t total_;
    uint64_t done_ = 0;
    Clock::time_point start_;
    Clock::time_point last_;
};

}  // namespace frayline
