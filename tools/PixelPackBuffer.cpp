#include "tools/PixelPackBuffer.h"

#include <string>

#include "host/HostError.h"
#include "platform/GL.h"

#ifndef GL_PIXEL_PACK_BUFFER
#define GL_PIXEL_PACK_BUFFER 0x88EB
#endif

namespace frayline {

PixelPackBuffer::PixelPackBuffer(std::size_t bytes) : bytes_(bytes)
{
    GLuint name = 0;
    glGenBuffers(1, &name);
    name_ = name;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        glDeleteBuffers(1, &name);
        name_ = 0;
        throw HostError("pixel pack buffer of " + std::to_string(bytes) + " bytes: GL error " +
                        std::to_string(error));
    }
}

PixelPackBuffer::~PixelPackBuffer()
{
    if (mapped_)
        Unmap();
    const GLuint name = name_;
    glDeleteBuffers(1, &name);
}

void PixelPackBuffer::Read(uint32_t width, uint32_t height)
{
    if (std::size_t(width) * height * 4 > bytes_)
        throw HostError("read-back of " + std::to_string(width) + "x" + std::to_string(height) +
                        " into a buffer of " + std::to_string(bytes_) + " bytes");
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name_);
    // With a pack buffer bound, the last argument is an offset into it.
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

const uint8_t* PixelPackBuffer::Map()
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name_);
    const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    if (!pixels)
        throw HostError("cannot map the read-back buffer (GL error " +
                        std::to_string(glGetError()) + ")");
    mapped_ = true;
    return static_cast<const uint8_t*>(pixels);
}

void PixelPackBuffer::Unmap()
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name_);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    mapped_ = false;
}

}  // namespace frayline
