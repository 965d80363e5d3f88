#include "shader/FFGLShader.h"

#include <cstdio>

#include "platform/GL.h"

FFGLShader::FFGLShader()
    : programHandle(0), vertexShaderHandle(0), fragmentShaderHandle(0), linkStatus(0)
{
}

FFGLShader::~FFGLShader() = default;

bool FFGLShader::Compile(uint32_t shader, const char* source, const char* format)
{
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE)
        return true;

    char log[1024];
    GLsizei length = 0;
    glGetShaderInfoLog(shader, 1023, &length, log);
    if (length < 0)
        length = 0;
    if (length > 1023)
        length = 1023;
    log[length] = '\0';
    std::printf(format, log);
    return false;
}

int32_t FFGLShader::CompileAndLink(const char* vertexSource, const char* fragmentSource)
{
    if (programHandle == 0) {
        programHandle = glCreateProgram();
        if (vertexShaderHandle == 0)
            vertexShaderHandle = glCreateShader(GL_VERTEX_SHADER);
        if (fragmentShaderHandle == 0)
            fragmentShaderHandle = glCreateShader(GL_FRAGMENT_SHADER);
    }

    bool fragmentAttached = false;
    if (fragmentShaderHandle != 0 && programHandle != 0 && fragmentSource != nullptr &&
        fragmentSource[0] != '\0') {
        if (Compile(fragmentShaderHandle, fragmentSource, "Fragment Shader error: %s \n")) {
            glAttachShader(programHandle, fragmentShaderHandle);
            fragmentAttached = true;
        }
    }

    if (vertexShaderHandle != 0 && programHandle != 0 && vertexSource != nullptr &&
        vertexSource[0] != '\0') {
        if (Compile(vertexShaderHandle, vertexSource, "Vertex Shader error: %s \n")) {
            glAttachShader(programHandle, vertexShaderHandle);
            glLinkProgram(programHandle);
            glGetProgramiv(programHandle, GL_LINK_STATUS, &linkStatus);
            return linkStatus;
        }
    }

    if (fragmentAttached) {
        glLinkProgram(programHandle);
        glGetProgramiv(programHandle, GL_LINK_STATUS, &linkStatus);
    } else {
        linkStatus = 0;
    }
    return linkStatus;
}

int32_t FFGLShader::CompileAndLink(const std::string& vertexSource,
                                   const std::string& fragmentSource)
{
    return CompileAndLink(vertexSource.c_str(), fragmentSource.c_str());
}

uint32_t FFGLShader::Bind()
{
    if (programHandle == 0)
        return 0;
    glUseProgram(programHandle);
    return 1;
}

uint32_t FFGLShader::Unbind()
{
    glUseProgram(0);
    return 1;
}

int32_t FFGLShader::UniformLocation(const char* name)
{
    return glGetUniformLocation(programHandle, name);
}

void FFGLShader::Release()
{
    if (fragmentShaderHandle != 0) {
        glDeleteShader(fragmentShaderHandle);
        fragmentShaderHandle = 0;
    }
    if (vertexShaderHandle != 0) {
        glDeleteShader(vertexShaderHandle);
        vertexShaderHandle = 0;
    }
    if (programHandle != 0) {
        glDeleteProgram(programHandle);
        programHandle = 0;
    }
}
