#pragma once

#include <cstdint>
#include <vector>

#include "plugin/FFGL.h"

namespace frayline {

enum class PixelFormat { RGBA8, RGBA32F };

// A 2D texture as a host hands it to a plugin: an allocation of
// hardwareWidth x hardwareHeight texels whose used region, width x height,
// sits at the origin. Hosts pad to sizes the card prefers, so a plugin must
// scale its texture coordinates by width / hardwareWidth; a larger allocation
// here shows whether it does.
//
// Nearest filtering by default, clamp-to-edge wrap. Needs a current context;
// deletes its GL name on destruction, so destroy it before the context.
class Texture {
public:
    enum class Filter { Nearest, Linear };

    // Throws HostError for an empty size, a used region larger than the
    // allocation, or an allocation GL refuses.
    Texture(PixelFormat format, uint32_t width, uint32_t height);
    Texture(PixelFormat format, uint32_t width, uint32_t height, uint32_t hardwareWidth,
            uint32_t hardwareHeight);
    ~Texture();

    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    void SetFilter(Filter filter);

    // Fills the used region from width * height tightly packed RGBA pixels,
    // row 0 first: row 0 is the texture's bottom row (t = 0), as GL has it.
    // The element type must match the format (uint8 for RGBA8, float for
    // RGBA32F); a wrong type or size throws HostError.
    void Upload(const std::vector<uint8_t>& rgba);
    void Upload(const std::vector<float>& rgba);

    PixelFormat Format() const { return format_; }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    uint32_t HardwareWidth() const { return hardwareWidth_; }
    uint32_t HardwareHeight() const { return hardwareHeight_; }
    uint32_t Handle() const { return handle_; }

    // The record a plugin receives in ProcessOpenGLStruct::inputTextures.
    FFGLTextureStruct Record() const;

private:
    void UploadPixels(const void* pixels, std::size_t count, PixelFormat given);

    PixelFormat format_;
    uint32_t width_;
    uint32_t height_;
    uint32_t hardwareWidth_;
    uint32_t hardwareHeight_;
    uint32_t handle_ = 0;
};

} // namespace frayline
