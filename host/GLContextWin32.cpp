// GLContext for the Windows builds: a WGL context on a hidden window.
//
// WGL has no surfaceless contexts: a context is made for a device context's
// pixel format, so the host keeps a never-shown window whose class owns its
// DC (CS_OWNDC: the same DC, with its pixel format, for the window's whole
// life). Rendering still goes to a RenderTarget, as with EGL.
//
// Members: display_ holds the window, context_ the HGLRC.

// <windows.h> first: glad's header defines APIENTRY differently otherwise.
#include <windows.h>

#include "host/GLContext.h"

#include <cstdio>

#include "host/GLCheck.h"
#include "host/HostError.h"
#include "platform/GL.h"

// WGL_ARB_create_context, for the core-profile request only.
#define FRAYLINE_WGL_CONTEXT_MAJOR_VERSION_ARB 0x2091
#define FRAYLINE_WGL_CONTEXT_MINOR_VERSION_ARB 0x2092
#define FRAYLINE_WGL_CONTEXT_PROFILE_MASK_ARB 0x9126
#define FRAYLINE_WGL_CONTEXT_CORE_PROFILE_BIT_ARB 0x00000001

namespace frayline {
namespace {

const char windowClassName[] = "FraylineHostGL";

[[noreturn]] void NoContext(const std::string& why)
{
    throw HostError("no OpenGL compatibility context: " + why);
}

std::string LastErrorText(const char* call)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s failed (error %lu)", call,
                  static_cast<unsigned long>(GetLastError()));
    return text;
}

void RegisterWindowClass()
{
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = windowClassName;
        return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered)
        NoContext(LastErrorText("RegisterClass"));
}

HDC WindowDC(void* window)
{
    // A CS_OWNDC window's DC stays valid until the window goes: no release.
    return GetDC(static_cast<HWND>(window));
}

} // namespace

GLContext::GLContext() : GLContext(Request{})
{
}

GLContext::GLContext(const Request& request)
{
    if (request.eglPlatform != 0)
        throw HostError("no EGL display: this build makes its contexts with WGL");

    const HDC previousDC = wglGetCurrentDC();
    const HGLRC previousContext = wglGetCurrentContext();
    try {
        RegisterWindowClass();
        HWND window = CreateWindowExA(0, windowClassName, "Frayline host", WS_OVERLAPPEDWINDOW,
                                      0, 0, 64, 64, nullptr, nullptr, GetModuleHandleA(nullptr),
                                      nullptr);
        if (!window)
            NoContext(LastErrorText("CreateWindowEx"));
        display_ = window;
        HDC dc = WindowDC(window);

        PIXELFORMATDESCRIPTOR format = {};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        format.cAlphaBits = 8;
        format.cDepthBits = 24;
        format.iLayerType = PFD_MAIN_PLANE;
        const int formatIndex = ChoosePixelFormat(dc, &format);
        if (formatIndex == 0)
            NoContext(LastErrorText("ChoosePixelFormat"));
        if (!SetPixelFormat(dc, formatIndex, &format))
            NoContext(LastErrorText("SetPixelFormat"));

        HGLRC legacy = wglCreateContext(dc);
        if (!legacy)
            NoContext(LastErrorText("wglCreateContext"));
        context_ = legacy;
        if (!wglMakeCurrent(dc, legacy))
            NoContext(LastErrorText("wglMakeCurrent"));

        if (request.coreProfile) {
            // Only to show that a core context is refused: it needs the
            // extension, looked up in the legacy context.
            using CreateContextAttribs = HGLRC(WINAPI*)(HDC, HGLRC, const int*);
            auto create = reinterpret_cast<CreateContextAttribs>(
                reinterpret_cast<void (*)()>(wglGetProcAddress("wglCreateContextAttribsARB")));
            if (!create)
                NoContext("the driver lacks wglCreateContextAttribsARB");
            const int attributes[] = {
                FRAYLINE_WGL_CONTEXT_MAJOR_VERSION_ARB, 3,
                FRAYLINE_WGL_CONTEXT_MINOR_VERSION_ARB, 3,
                FRAYLINE_WGL_CONTEXT_PROFILE_MASK_ARB, FRAYLINE_WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                0,
            };
            HGLRC core = create(dc, nullptr, attributes);
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(legacy);
            context_ = core;
            if (!core)
                NoContext(LastErrorText("wglCreateContextAttribsARB"));
            if (!wglMakeCurrent(dc, core))
                NoContext(LastErrorText("wglMakeCurrent"));
        }

        const std::string problem = CompatibilityProblem(GL_NO_ERROR);
        if (!problem.empty())
            NoContext(problem);
    } catch (...) {
        Release();
        if (previousContext)
            wglMakeCurrent(previousDC, previousContext);
        throw;
    }
}

GLContext::~GLContext()
{
    Release();
}

void GLContext::Release()
{
    if (context_) {
        if (wglGetCurrentContext() == static_cast<HGLRC>(context_))
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(context_));
        context_ = nullptr;
    }
    if (display_) {
        DestroyWindow(static_cast<HWND>(display_));
        display_ = nullptr;
    }
}

void GLContext::MakeCurrent()
{
    Current();
}

void GLContext::Current() const
{
    if (wglGetCurrentContext() == static_cast<HGLRC>(context_))
        return;
    if (!wglMakeCurrent(WindowDC(display_), static_cast<HGLRC>(context_)))
        throw HostError("cannot make the OpenGL context current (" +
                        LastErrorText("wglMakeCurrent") + ")");
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
    // wglGetProcAddress knows only what is past OpenGL 1.1, and some drivers
    // answer small integers instead of null for names they lack.
    PROC address = wglGetProcAddress(name);
    const auto value = reinterpret_cast<intptr_t>(address);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        static const HMODULE opengl = LoadLibraryA("opengl32.dll");
        address = opengl ? GetProcAddress(opengl, name) : nullptr;
    }
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(address));
}

} // namespace frayline
