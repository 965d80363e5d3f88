#pragma once

#include <cstdint>
#include <functional>

#include "tools/EffectInstance.h"

namespace frayline {

// The stream mode of frayline-render: RGBA8 frames, top row first, read
// from one file descriptor, drawn through an effect instance and written to
// another, so that the tool can sit in an ffmpeg pipe.
//
// Reading, drawing and writing overlap. A reader thread fills frame buffers
// from the input; the GL thread uploads each into one of two textures in
// turn (an upload never waits for the draw before it), draws, and queues the
// read-back into one of three pixel pack buffers; a writer thread writes
// each frame straight from its mapped buffer while the next ones are drawn.
// Rows are turned round on the way in and out by scatter-gather I/O (readv,
// writev), so GL sees the picture upright, as a host has it, at no cost of
// copying.
class RawPipe {
public:
    struct Hooks {
        std::function<void(uint64_t frame)> beforeDraw;  // pacing; may sleep
        std::function<void(uint64_t frames)> afterDraw;  // progress
    };

    struct Result {
        uint64_t frames = 0;        // drawn and written
        bool outputClosed = false;  // the reader of the output went away
    };

    // Runs until the input ends or the output is closed. A broken pipe is no
    // error: the frames before it were written, the rest are not read.
    // Throws HostError for a read or write error and for an input that ends
    // inside a frame (after writing every whole frame before it), and for
    // anything GL or the plugin refuses.
    static Result Run(EffectInstance& instance, int input, int output, uint32_t width,
                      uint32_t height, const Hooks& hooks);
};

}  // namespace frayline
