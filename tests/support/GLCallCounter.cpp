#include "support/GLCallCounter.h"

#include <stdexcept>
#include <string>

#include "host/GLContext.h"
#include "platform/GL.h"

namespace frayline::gl {
namespace {

GLCallCounts counts;

// The driver's own entry points, looked up by name rather than taken from
// the loader's pointers: an on-demand pointer not yet bound would rebind
// itself on its first call and drop the wrapper.
PFNGLLINKPROGRAMPROC driverLinkProgram;
PFNGLUSEPROGRAMPROC driverUseProgram;
PFNGLDELETESHADERPROC driverDeleteShader;
PFNGLDELETEPROGRAMPROC driverDeleteProgram;
PFNGLGETUNIFORMLOCATIONPROC driverGetUniformLocation;

PFNGLLINKPROGRAMPROC savedLinkProgram;
PFNGLUSEPROGRAMPROC savedUseProgram;
PFNGLDELETESHADERPROC savedDeleteShader;
PFNGLDELETEPROGRAMPROC savedDeleteProgram;
PFNGLGETUNIFORMLOCATIONPROC savedGetUniformLocation;

void GLAD_API_PTR CountLinkProgram(GLuint program)
{
    ++counts.linkProgram;
    driverLinkProgram(program);
}

void GLAD_API_PTR CountUseProgram(GLuint program)
{
    ++counts.useProgram;
    driverUseProgram(program);
}

void GLAD_API_PTR CountDeleteShader(GLuint shader)
{
    ++counts.deleteShader;
    driverDeleteShader(shader);
}

void GLAD_API_PTR CountDeleteProgram(GLuint program)
{
    ++counts.deleteProgram;
    driverDeleteProgram(program);
}

GLint GLAD_API_PTR CountGetUniformLocation(GLuint program, const GLchar* name)
{
    ++counts.getUniformLocation;
    return driverGetUniformLocation(program, name);
}

template <typename Function> void Find(Function& function, const char* name)
{
    function = reinterpret_cast<Function>(GLContext::ProcAddress(name));
    if (function == nullptr)
        throw std::runtime_error(std::string("no GL entry point ") + name);
}

}  // namespace

GLCallCounter::GLCallCounter()
{
    Find(driverLinkProgram, "glLinkProgram");
    Find(driverUseProgram, "glUseProgram");
    Find(driverDeleteShader, "glDeleteShader");
    Find(driverDeleteProgram, "glDeleteProgram");
    Find(driverGetUniformLocation, "glGetUniformLocation");
    savedLinkProgram = glad_glLinkProgram;
    savedUseProgram = glad_glUseProgram;
    savedDeleteShader = glad_glDeleteShader;
    savedDeleteProgram = glad_glDeleteProgram;
    savedGetUniformLocation = glad_glGetUniformLocation;
    glad_glLinkProgram = CountLinkProgram;
    glad_glUseProgram = CountUseProgram;
    glad_glDeleteShader = CountDeleteShader;
    glad_glDeleteProgram = CountDeleteProgram;
    glad_glGetUniformLocation = CountGetUniformLocation;
    Reset();
}

GLCallCounter::~GLCallCounter()
{
    glad_glLinkProgram = savedLinkProgram;
    glad_glUseProgram = savedUseProgram;
    glad_glDeleteShader = savedDeleteShader;
    glad_glDeleteProgram = savedDeleteProgram;
    glad_glGetUniformLocation = savedGetUniformLocation;
}

const GLCallCounts& GLCallCounter::Counts() const
{
    return counts;
}

void GLCallCounter::Reset()
{
    counts = GLCallCounts();
}

}  // namespace frayline::gl
