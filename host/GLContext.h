#pragma once

#include <string>

namespace frayline {

// A headless OpenGL compatibility context (EGL, surfaceless Mesa), current on
// the constructing thread. Without a window there is no default framebuffer:
// render into a RenderTarget.
//
// The plugin draws with immediate mode and the fixed-function matrices, so
// the context is checked after creation: the compatibility bit must be in
// GL_CONTEXT_PROFILE_MASK and glBegin/glEnd must raise no error. A core
// context would otherwise fail quietly and read back garbage.
//
// Textures and render targets must be destroyed before their context.
class GLContext {
public:
    // What to ask the driver for. The defaults are what the host needs; the
    // others exist so the failure paths can be exercised.
    struct Request {
        // The EGL platform given to eglGetPlatformDisplay; 0 means
        // EGL_PLATFORM_SURFACELESS_MESA.
        unsigned eglPlatform = 0;
        // Ask for a 3.3 core context instead of the compatibility profile.
        bool coreProfile = false;
    };

    // Throws HostError: "no EGL display: ..." or "no OpenGL compatibility context: ...".
    GLContext();
    explicit GLContext(const Request& request);
    ~GLContext();

    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;

    // Makes this context current on the calling thread.
    void MakeCurrent();

    // GL_RENDERER and GL_VERSION, read in this context (made current if it is not).
    std::string Renderer() const;
    std::string Version() const;

    // The address of a GL entry point the loader does not cover (those past
    // GL 2.0, such as the framebuffer objects), or null. Cast it to the
    // entry point's type before calling it.
    using Proc = void (*)();
    static Proc ProcAddress(const char* name);

private:
    void Current() const;
    void Release();

    void* display_ = nullptr;
    void* context_ = nullptr;
};

} // namespace frayline
