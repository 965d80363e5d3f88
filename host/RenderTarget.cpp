#include "host/RenderTarget.h"

#include <cstdio>
#include <string>
#include <utility>

#include "host/GLContext.h"
#include "host/HostError.h"
#include "platform/GL.h"

// Framebuffer objects are past GL 2.0: the loader does not cover them, so
// they are looked up here, with their constants.
#define FRAYLINE_GL_FRAMEBUFFER 0x8D40
#define FRAYLINE_GL_COLOR_ATTACHMENT0 0x8CE0
#define FRAYLINE_GL_FRAMEBUFFER_COMPLETE 0x8CD5

namespace frayline {
namespace {

struct FramebufferFunctions {
    void(GLAD_API_PTR* GenFramebuffers)(GLsizei, GLuint*) = nullptr;
    void(GLAD_API_PTR* DeleteFramebuffers)(GLsizei, const GLuint*) = nullptr;
    void(GLAD_API_PTR* BindFramebuffer)(GLenum, GLuint) = nullptr;
    void(GLAD_API_PTR* FramebufferTexture2D)(GLenum, GLenum, GLenum, GLuint, GLint) = nullptr;
    GLenum(GLAD_API_PTR* CheckFramebufferStatus)(GLenum) = nullptr;
};

template <typename Function>
void Find(Function& function, const char* name)
{
    function = reinterpret_cast<Function>(GLContext::ProcAddress(name));
    if (!function)
        throw HostError(std::string("the OpenGL driver lacks ") + name);
}

const FramebufferFunctions& Framebuffers()
{
    static const FramebufferFunctions functions = [] {
        FramebufferFunctions found;
        Find(found.GenFramebuffers, "glGenFramebuffers");
        Find(found.DeleteFramebuffers, "glDeleteFramebuffers");
        Find(found.BindFramebuffer, "glBindFramebuffer");
        Find(found.FramebufferTexture2D, "glFramebufferTexture2D");
        Find(found.CheckFramebufferStatus, "glCheckFramebufferStatus");
        return found;
    }();
    return functions;
}

} // namespace

RenderTarget::RenderTarget(PixelFormat format, uint32_t width, uint32_t height)
    : color_(format, width, height)
{
    const FramebufferFunctions& gl = Framebuffers();
    GLuint name = 0;
    gl.GenFramebuffers(1, &name);
    framebuffer_ = name;
    gl.BindFramebuffer(FRAYLINE_GL_FRAMEBUFFER, name);
    gl.FramebufferTexture2D(FRAYLINE_GL_FRAMEBUFFER, FRAYLINE_GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                            color_.Handle(), 0);
    const GLenum status = gl.CheckFramebufferStatus(FRAYLINE_GL_FRAMEBUFFER);
    gl.BindFramebuffer(FRAYLINE_GL_FRAMEBUFFER, 0);
    if (status != FRAYLINE_GL_FRAMEBUFFER_COMPLETE) {
        gl.DeleteFramebuffers(1, &name);
        framebuffer_ = 0;
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", status);
        throw HostError("render target " + std::to_string(width) + "x" + std::to_string(height) +
                        ": framebuffer incomplete (" + hex + ")");
    }
}

RenderTarget::~RenderTarget()
{
    if (framebuffer_) {
        const GLuint name = framebuffer_;
        Framebuffers().DeleteFramebuffers(1, &name);
    }
}

RenderTarget::RenderTarget(RenderTarget&& other) noexcept
    : color_(std::move(other.color_)), framebuffer_(std::exchange(other.framebuffer_, 0u))
{
}

RenderTarget& RenderTarget::operator=(RenderTarget&& other) noexcept
{
    if (this != &other) {
        std::swap(color_, other.color_);
        std::swap(framebuffer_, other.framebuffer_);
    }
    return *this;
}

void RenderTarget::Bind()
{
    Framebuffers().BindFramebuffer(FRAYLINE_GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, static_cast<GLsizei>(Width()), static_cast<GLsizei>(Height()));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

std::vector<uint8_t> RenderTarget::ReadRGBA8() const
{
    std::vector<uint8_t> pixels(std::size_t(Width()) * Height() * 4);
    Read(pixels.data(), false);
    return pixels;
}

std::vector<float> RenderTarget::ReadRGBA32F() const
{
    std::vector<float> pixels(std::size_t(Width()) * Height() * 4);
    Read(pixels.data(), true);
    return pixels;
}

void RenderTarget::Read(void* pixels, bool floats) const
{
    Framebuffers().BindFramebuffer(FRAYLINE_GL_FRAMEBUFFER, framebuffer_);
    // RGBA rows are whole multiples of four bytes: the default pack
    // alignment writes them tightly packed.
    glReadPixels(0, 0, static_cast<GLsizei>(Width()), static_cast<GLsizei>(Height()), GL_RGBA,
                 floats ? GL_FLOAT : GL_UNSIGNED_BYTE, pixels);
}

} // namespace frayline
