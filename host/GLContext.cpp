#include "host/GLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

#include "host/GLCheck.h"
#include "host/HostError.h"
#include "platform/GL.h"

#ifndef GL_INVALID_FRAMEBUFFER_OPERATION
#define GL_INVALID_FRAMEBUFFER_OPERATION 0x0506
#endif

namespace frayline {
namespace {

std::string EglErrorName(EGLint error)
{
    switch (error) {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_CURRENT_SURFACE: return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_NATIVE_PIXMAP: return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW: return "EGL_BAD_NATIVE_WINDOW";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(error));
    return hex;
}

[[noreturn]] void NoDisplay(const std::string& why)
{
    throw HostError("no EGL display: " + why);
}

[[noreturn]] void NoContext(const std::string& why)
{
    throw HostError("no OpenGL compatibility context: " + why);
}

} // namespace

GLContext::GLContext() : GLContext(Request{})
{
}

GLContext::GLContext(const Request& request)
{
    const EGLenum platform =
        request.eglPlatform ? request.eglPlatform : EGL_PLATFORM_SURFACELESS_MESA;
    EGLDisplay display = eglGetPlatformDisplay(platform, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", platform);
        NoDisplay(
            std::string("eglGetPlatformDisplay(") +
            (platform == EGL_PLATFORM_SURFACELESS_MESA ? "EGL_PLATFORM_SURFACELESS_MESA" : hex) +
            ") failed (" + EglErrorName(eglGetError()) + ")");
    }
    // The display stays initialised for the life of the process: EGL does
    // not count eglInitialize calls, so terminating it would pull it from
    // under every other context on it (and Mesa leaks on terminate anyway).
    // Initialising an initialised display is harmless.
    EGLint eglMajor = 0, eglMinor = 0;
    if (!eglInitialize(display, &eglMajor, &eglMinor))
        NoDisplay("eglInitialize failed (" + EglErrorName(eglGetError()) + ")");
    display_ = display;

    // From here on a failure must give back what it made, and leave current
    // whatever context was current before.
    const EGLDisplay previousDisplay = eglGetCurrentDisplay();
    const EGLContext previousContext = eglGetCurrentContext();
    const EGLSurface previousDraw = eglGetCurrentSurface(EGL_DRAW);
    const EGLSurface previousRead = eglGetCurrentSurface(EGL_READ);
    try {
        if (!eglBindAPI(EGL_OPENGL_API))
            NoContext("eglBindAPI(EGL_OPENGL_API) failed (" + EglErrorName(eglGetError()) + ")");

        const EGLint configAttributes[] = {
            EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
            EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
            EGL_NONE,
        };
        EGLConfig config = nullptr;
        EGLint configs = 0;
        if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1)
            NoContext("no EGL config for desktop OpenGL with 8-bit RGBA (" +
                      EglErrorName(eglGetError()) + ")");

        // Without a version the driver gives its highest compatibility
        // version; the profile is still asked for explicitly.
        const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
        const EGLint core[] = {
            EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
            EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
            EGL_NONE,
        };
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT,
                                              request.coreProfile ? core : compatibility);
        if (context == EGL_NO_CONTEXT)
            NoContext("eglCreateContext failed (" + EglErrorName(eglGetError()) + ")");
        context_ = context;
        MakeCurrent();

        // A surfaceless context has no default framebuffer, so drawing into
        // it is refused as an invalid framebuffer operation; that is expected.
        const std::string problem = CompatibilityProblem(GL_INVALID_FRAMEBUFFER_OPERATION);
        if (!problem.empty())
            NoContext(problem);
    } catch (...) {
        Release();
        if (previousContext != EGL_NO_CONTEXT)
            eglMakeCurrent(previousDisplay, previousDraw, previousRead, previousContext);
        throw;
    }
}

GLContext::~GLContext()
{
    Release();
}

void GLContext::Release()
{
    if (!context_)
        return;
    EGLDisplay display = static_cast<EGLDisplay>(display_);
    if (eglGetCurrentContext() == static_cast<EGLContext>(context_))
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, static_cast<EGLContext>(context_));
    context_ = nullptr;
}

void GLContext::MakeCurrent()
{
    Current();
}

void GLContext::Current() const
{
    if (eglGetCurrentContext() == static_cast<EGLContext>(context_))
        return;
    if (!eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE,
                        static_cast<EGLContext>(context_)))
        throw HostError("cannot make the OpenGL context current (" + EglErrorName(eglGetError()) +
                        ")");
}

std::string GLContext::Renderer() const
{
    Current();
    return GlString(GL_RENDERER);
}

std::string GLContext::Version() const
{
    Current();
    return GlString(GL_VERSION);
}

GLContext::Proc GLContext::ProcAddress(const char* name)
{
    return eglGetProcAddress(name);
}

} // namespace frayline
