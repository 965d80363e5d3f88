#pragma once

#include <cstdint>
#include <string>

// One GLSL program built from a vertex and a fragment shader. GL objects are
// made by CompileAndLink and deleted only by Release, with the context
// current; construction and destruction make no GL call.
class FFGLShader {
public:
    FFGLShader();
    virtual ~FFGLShader();

    // Answers the link status: 1 when the program linked, else 0. A shader
    // that fails to compile prints its log on standard output and is left out.
    int32_t CompileAndLink(const char* vertexSource, const char* fragmentSource);
    int32_t CompileAndLink(const std::string& vertexSource, const std::string& fragmentSource);

    uint32_t Bind();    // 0 when there is no program (and no GL call), else 1
    uint32_t Unbind();  // always 1
    int32_t UniformLocation(const char* name);
    void Release();

    uint32_t programHandle;
    uint32_t vertexShaderHandle;
    uint32_t fragmentShaderHandle;
    int32_t linkStatus;

private:
    // Compiles one shader; answers whether it compiled, printing the log
    // through `format` when it did not.
    bool Compile(uint32_t shader, const char* source, const char* format);
};
