#include "host/GLCheck.h"

#include <cstdio>

namespace frayline {

std::string GlErrorName(GLenum error)
{
    switch (error) {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", error);
    return hex;
}

std::string GlString(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

std::string CompatibilityProblem(GLenum tolerated)
{
    const std::string version = GlString(GL_VERSION);
    int major = 0, minor = 0;
    std::sscanf(version.c_str(), "%d.%d", &major, &minor);
    // Profiles exist from 3.2 on; anything older is compatibility by nature.
    if (major > 3 || (major == 3 && minor >= 2)) {
        GLint mask = 0;
        glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
        if (!(mask & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT))
            return "the driver gave a context without the compatibility profile (" + version + ")";
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glBegin(GL_TRIANGLES);
    glEnd();
    std::string problem;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        if (error != tolerated && problem.empty())
            problem = "glBegin/glEnd raised " + GlErrorName(error) + " (" + version + ")";
    return problem;
}

} // namespace frayline
