#include "host/Texture.h"

#include <string>
#include <utility>

#include "host/HostError.h"
#include "platform/GL.h"

// Float textures are past GL 2.0, so not in the loader's header.
#ifndef GL_RGBA32F
#define GL_RGBA32F 0x8814
#endif

namespace frayline {
namespace {

const char* FormatName(PixelFormat format)
{
    return format == PixelFormat::RGBA8 ? "RGBA8" : "RGBA32F";
}

std::string Size(uint32_t width, uint32_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

Texture::Texture(PixelFormat format, uint32_t width, uint32_t height)
    : Texture(format, width, height, width, height)
{
}

Texture::Texture(PixelFormat format, uint32_t width, uint32_t height, uint32_t hardwareWidth,
                 uint32_t hardwareHeight)
    : format_(format), width_(width), height_(height), hardwareWidth_(hardwareWidth),
      hardwareHeight_(hardwareHeight)
{
    const std::string what = std::string("texture ") + FormatName(format) + " " +
                             Size(width, height) + " in " + Size(hardwareWidth, hardwareHeight);
    if (width == 0 || height == 0)
        throw HostError(what + ": empty");
    if (width > hardwareWidth || height > hardwareHeight)
        throw HostError(what + ": the used region exceeds the allocation");

    GLuint name = 0;
    glGenTextures(1, &name);
    handle_ = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (format == PixelFormat::RGBA8)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(hardwareWidth),
                     static_cast<GLsizei>(hardwareHeight), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, static_cast<GLsizei>(hardwareWidth),
                     static_cast<GLsizei>(hardwareHeight), 0, GL_RGBA, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        handle_ = 0;
        throw HostError(what + ": GL refused the allocation (GL error " + std::to_string(error) +
                        ")");
    }
}

Texture::~Texture()
{
    if (handle_) {
        const GLuint name = handle_;
        glDeleteTextures(1, &name);
    }
}

Texture::Texture(Texture&& other) noexcept
    : format_(other.format_), width_(other.width_), height_(other.height_),
      hardwareWidth_(other.hardwareWidth_), hardwareHeight_(other.hardwareHeight_),
      handle_(std::exchange(other.handle_, 0u))
{
}

Texture& Texture::operator=(Texture&& other) noexcept
{
    if (this != &other) {
        std::swap(format_, other.format_);
        std::swap(width_, other.width_);
        std::swap(height_, other.height_);
        std::swap(hardwareWidth_, other.hardwareWidth_);
        std::swap(hardwareHeight_, other.hardwareHeight_);
        std::swap(handle_, other.handle_);
    }
    return *this;
}

void Texture::SetFilter(Filter filter)
{
    const GLint mode = filter == Filter::Linear ? GL_LINEAR : GL_NEAREST;
    glBindTexture(GL_TEXTURE_2D, handle_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Texture::Upload(const std::vector<uint8_t>& rgba)
{
    UploadPixels(rgba.data(), rgba.size(), PixelFormat::RGBA8);
}

void Texture::Upload(const std::vector<float>& rgba)
{
    UploadPixels(rgba.data(), rgba.size(), PixelFormat::RGBA32F);
}

void Texture::UploadPixels(const void* pixels, std::size_t count, PixelFormat given)
{
    if (given != format_)
        throw HostError(std::string("upload of ") + FormatName(given) + " pixels into an " +
                        FormatName(format_) + " texture");
    const std::size_t expected = std::size_t(width_) * height_ * 4;
    if (count != expected)
        throw HostError("upload of " + std::to_string(count) + " values into a " +
                        Size(width_, height_) + " texture, which takes " +
                        std::to_string(expected));
    glBindTexture(GL_TEXTURE_2D, handle_);
    // RGBA rows are whole multiples of four bytes, so the default unpack
    // alignment already reads them tightly packed.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width_),
                    static_cast<GLsizei>(height_), GL_RGBA,
                    format_ == PixelFormat::RGBA8 ? GL_UNSIGNED_BYTE : GL_FLOAT, pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
}

FFGLTextureStruct Texture::Record() const
{
    return FFGLTextureStruct{width_, height_, hardwareWidth_, hardwareHeight_, handle_};
}

} // namespace frayline
