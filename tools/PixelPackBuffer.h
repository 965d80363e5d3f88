#pragma once

#include <cstddef>
#include <cstdint>

namespace frayline {

// A GL buffer object that glReadPixels writes into (GL_PIXEL_PACK_BUFFER):
// the read-back is queued with the drawing instead of waiting for it, and
// the pixels are reached later by mapping the buffer. Needs a current
// context; deletes its buffer on destruction, so destroy it before the
// context. Buffer objects are GL 1.5 and come through the loader; only the
// pack target is newer (2.1), and that is just a constant.
class PixelPackBuffer {
public:
    explicit PixelPackBuffer(std::size_t bytes);
    ~PixelPackBuffer();

    PixelPackBuffer(const PixelPackBuffer&) = delete;
    PixelPackBuffer& operator=(const PixelPackBuffer&) = delete;

    // Queues a read of the bound framebuffer's lower-left width x height
    // RGBA8 pixels, rows bottom first, into this buffer.
    void Read(uint32_t width, uint32_t height);

    // The pixels of the last Read, waiting for it if need be; valid until
    // Unmap. Throws HostError when GL cannot map the buffer.
    const uint8_t* Map();
    void Unmap();

    bool Mapped() const { return mapped_; }

private:
    uint32_t name_ = 0;
    std::size_t bytes_;
    bool mapped_ = false;
};

}  // namespace frayline
