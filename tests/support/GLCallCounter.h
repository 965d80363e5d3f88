#pragma once

// Counts the calls that in-process code makes to a few GL entry points.
//
// The loader's entry points are global function pointers shared by
// everything linked into one executable, the plugin's objects included. While
// a counter lives, those pointers lead through counting wrappers to the
// driver's functions; the destructor puts the old pointers back. One counter
// at a time, on the thread with the context current.

#include <cstdint>

namespace frayline::gl {

struct GLCallCounts {
    uint32_t linkProgram = 0;
    uint32_t useProgram = 0;
    uint32_t deleteShader = 0;
    uint32_t deleteProgram = 0;
    uint32_t getUniformLocation = 0;
};

class GLCallCounter {
public:
    GLCallCounter();
    ~GLCallCounter();

    GLCallCounter(const GLCallCounter&) = delete;
    GLCallCounter& operator=(const GLCallCounter&) = delete;

    const GLCallCounts& Counts() const;
    void Reset();
};

}  // namespace frayline::gl
