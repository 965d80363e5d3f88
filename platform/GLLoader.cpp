// How the plugin's GL entry points get bound.
//
// The generated loader binds each entry point on its own first call. Left to
// itself, that puts the first lookup of glMultiTexCoord2f inside the frame's
// glBegin/glEnd pair, where some drivers refuse it: Wine's
// wglGetProcAddress answers null there, and the call then jumps to address
// 0. So the loader is given a resolver that, at the first call through any
// entry point (the program creation of the first FF_INSTANTIATEGL, outside
// any glBegin), looks up every entry point the plugin uses in the context
// current then, once per process. Later first calls take the stored address.
// Nothing here needs a context at load time: installing the resolver only
// stores a function pointer.

#include <cstring>

#include "platform/GL.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

const char* const entryPoints[] = {
    // OpenGL 1.1, exported by the system library
    "glBindTexture", "glBegin", "glEnd", "glVertex2f",
    // OpenGL 1.3
    "glActiveTexture", "glMultiTexCoord2f",
    // OpenGL 2.0
    "glCreateProgram", "glCreateShader", "glShaderSource", "glCompileShader", "glGetShaderiv",
    "glGetShaderInfoLog", "glAttachShader", "glLinkProgram", "glGetProgramiv", "glUseProgram",
    "glGetUniformLocation", "glUniform1i", "glUniform1f", "glUniform2f", "glDeleteShader",
    "glDeleteProgram"};
constexpr size_t entryPointCount = sizeof entryPoints / sizeof entryPoints[0];

GLADapiproc boundEntryPoints[entryPointCount];
bool entryPointsBound = false;

using AnyFunction = void (*)();

#if defined(_WIN32)

GLADapiproc SystemProcAddress(const char* name)
{
    static HMODULE library = LoadLibraryA("opengl32.dll");
    if (library == nullptr)
        return nullptr;
    using WglGetProcAddress = PROC(WINAPI*)(LPCSTR);
    static WglGetProcAddress wglGetProc = reinterpret_cast<WglGetProcAddress>(
        reinterpret_cast<AnyFunction>(GetProcAddress(library, "wglGetProcAddress")));
    // wglGetProcAddress knows the entry points past 1.1; the library exports
    // the 1.1 ones itself.
    PROC proc = wglGetProc != nullptr ? wglGetProc(name) : nullptr;
    if (proc == nullptr)
        proc = GetProcAddress(library, name);
    return reinterpret_cast<GLADapiproc>(reinterpret_cast<AnyFunction>(proc));
}

#else

void* OpenSystemLibrary()
{
    void* library = dlopen("libGL.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr)
        library = dlopen("libGL.so", RTLD_LAZY | RTLD_LOCAL);
    return library;
}

GLADapiproc SystemProcAddress(const char* name)
{
    static void* library = OpenSystemLibrary();
    if (library == nullptr)
        return nullptr;
    using GetProcAddress = AnyFunction (*)(const unsigned char*);
    static GetProcAddress getProc =
        reinterpret_cast<GetProcAddress>(dlsym(library, "glXGetProcAddressARB"));
    AnyFunction proc =
        getProc != nullptr ? getProc(reinterpret_cast<const unsigned char*>(name)) : nullptr;
    if (proc == nullptr)
        proc = reinterpret_cast<AnyFunction>(dlsym(library, name));
    return reinterpret_cast<GLADapiproc>(proc);
}

#endif

GLADapiproc BindOnFirstUse(const char* name)
{
    if (!entryPointsBound) {
        for (size_t i = 0; i < entryPointCount; ++i)
            boundEntryPoints[i] = SystemProcAddress(entryPoints[i]);
        entryPointsBound = true;
    }
    for (size_t i = 0; i < entryPointCount; ++i) {
        if (std::strcmp(name, entryPoints[i]) == 0)
            return boundEntryPoints[i];
    }
    return SystemProcAddress(name);
}

struct InstallResolver {
    InstallResolver() { gladSetGLOnDemandLoader(BindOnFirstUse); }
};

// After the descriptor (101) and the shader texts (102).
__attribute__((init_priority(103))) InstallResolver installResolver;

}  // namespace
