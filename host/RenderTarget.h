#pragma once

#include <cstdint>
#include <vector>

#include "host/Texture.h"

namespace frayline {

// A framebuffer object with one colour texture of the given format: what the
// host renders a plugin into and reads back. Needs a current context; deletes
// its GL objects on destruction, so destroy it before the context.
class RenderTarget {
public:
    // Throws HostError for an empty size or a framebuffer GL calls incomplete.
    RenderTarget(PixelFormat format, uint32_t width, uint32_t height);
    ~RenderTarget();

    RenderTarget(RenderTarget&& other) noexcept;
    RenderTarget& operator=(RenderTarget&& other) noexcept;
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Binds the framebuffer, sets the viewport to the whole target and loads
    // identity model-view and projection matrices (model-view is left the
    // current matrix mode): the state a plugin expects to be called in.
    void Bind();

    // The whole target, width * height RGBA pixels, row 0 at the bottom as
    // glReadPixels gives it (the same order as Texture::Upload). Either read
    // works on either format; GL converts, clamping to [0, 1] for RGBA8.
    // Leaves this target's framebuffer bound.
    std::vector<uint8_t> ReadRGBA8() const;
    std::vector<float> ReadRGBA32F() const;

    PixelFormat Format() const { return color_.Format(); }
    uint32_t Width() const { return color_.Width(); }
    uint32_t Height() const { return color_.Height(); }
    // The framebuffer name, for ProcessOpenGLStruct::HostFBO.
    uint32_t Handle() const { return framebuffer_; }
    // The colour texture, to feed this target's picture to a further pass.
    const Texture& ColorTexture() const { return color_; }

private:
    void Read(void* pixels, bool floats) const;

    Texture color_;
    uint32_t framebuffer_ = 0;
};

} // namespace frayline
