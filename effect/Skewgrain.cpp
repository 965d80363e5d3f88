#include "effect/Skewgrain.h"

#include <cmath>
#include <new>

#include "effect/ShaderCode.h"
#include "platform/GL.h"
#include "platform/PerformanceCounter.h"
#include "plugin/CFFGLPluginDescriptor.h"

namespace {

// The library's one descriptor, built before any other static object so that
// it is current before anything can ask for it.
__attribute__((init_priority(101))) CFFGLPluginDescriptor descriptor(
    MakeInstance, "FRLY", "Frayline", 1, 500, 1, 0, FF_EFFECT,
    "Distort the image with a random signal.",
    "Frayline: every pixel looks up its colour a drifting random distance away. "
    "(c) 2026 the Frayline developers.",
    0, nullptr);

struct ParameterRow {
    const char* name;
    uint32_t type;
    float defaultValue;
    float Skewgrain::*member;
};

// Host-visible parameters; the row number is the index. The leading blank of
// " X Distortion" is part of the name hosts have always shown.
const ParameterRow parameters[] = {
    {" X Distortion", FF_TYPE_STANDARD, 0.25f, &Skewgrain::xDistortion},
    {"Y Distortion", FF_TYPE_STANDARD, 0.0f, &Skewgrain::yDistortion},
    {"Strength X", FF_TYPE_STANDARD, 0.5f, &Skewgrain::strengthX},
    {"Strength Y", FF_TYPE_STANDARD, 0.5f, &Skewgrain::strengthY},
    {"Frequence", FF_TYPE_STANDARD, 0.25f, &Skewgrain::frequence},
    {"Random Strength", FF_TYPE_STANDARD, 0.25f, &Skewgrain::randomStrength},
    {"X Speed", FF_TYPE_STANDARD, 0.5f, &Skewgrain::xSpeed},
    {"Y Speed", FF_TYPE_STANDARD, 0.5f, &Skewgrain::ySpeed},
    {"Random Mode", FF_TYPE_BOOLEAN, 0.0f, &Skewgrain::randomMode},
    {"Swap X and Y", FF_TYPE_BOOLEAN, 0.0f, &Skewgrain::swapXAndY},
    {"Color Influence", FF_TYPE_BOOLEAN, 0.0f, &Skewgrain::colorInfluence},
};
constexpr uint32_t parameterRows = sizeof parameters / sizeof parameters[0];

enum class Upload { Sampler, Float, Vec2, Int };

struct UniformRow {
    const char* name;
    Upload upload;
    float Skewgrain::*first;
    float Skewgrain::*second;
};

// Uniforms in upload order; a row's position is its slot in uniformLocations.
const UniformRow uniforms[Skewgrain::UniformCount] = {
    {"inputTexture", Upload::Sampler, nullptr, nullptr},
    {"distortion", Upload::Vec2, &Skewgrain::xDistortion, &Skewgrain::yDistortion},
    {"strength", Upload::Vec2, &Skewgrain::strengthX, &Skewgrain::strengthY},
    {"frequence", Upload::Float, &Skewgrain::frequence, nullptr},
    {"nStr", Upload::Float, &Skewgrain::randomStrength, nullptr},
    {"time", Upload::Vec2, &Skewgrain::timeX, &Skewgrain::timeY},
    {"mode", Upload::Int, &Skewgrain::randomMode, nullptr},
    {"swap", Upload::Int, &Skewgrain::swapXAndY, nullptr},
    {"processCol", Upload::Int, &Skewgrain::colorInfluence, nullptr},
};

// Truncation toward zero, as a switch reaches the shader: 0.99 gives 0,
// 2.5 gives 2. Values beyond the int range saturate and NaN gives 0, where a
// bare cast would be undefined.
GLint Truncate(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return 2147483647;
    if (value <= -2147483648.0f)
        return -2147483647 - 1;
    return static_cast<GLint>(value);
}

// The used part of a texture's allocation as a texture coordinate. A record
// without an allocation size takes the whole texture.
float UsedFraction(uint32_t size, uint32_t hardwareSize)
{
    if (hardwareSize == 0)
        return 1.0f;
    return static_cast<float>(static_cast<double>(size) / static_cast<double>(hardwareSize));
}

}  // namespace

uint32_t MakeInstance(CFreeFrameGLPlugin** out)
{
    try {
        *out = new Skewgrain();
    } catch (const std::bad_alloc&) {
        *out = nullptr;
    }
    return *out != nullptr ? FF_SUCCESS : FF_FAIL;
}

Skewgrain::Skewgrain()
{
    for (int32_t& location : uniformLocations)
        location = -1;
    SetMinimumInputs(1);
    SetMaximumInputs(1);
    for (uint32_t i = 0; i < parameterRows; ++i) {
        DeclareParameter(i, parameters[i].name, parameters[i].type, parameters[i].defaultValue);
        this->*parameters[i].member = parameters[i].defaultValue;
    }
    currentTime = 0.0;
    previousTime = 0.0;
    ticksPerMillisecond = 0.0;
    startCounter = 0;
    timeX = 0.0f;
    timeY = 0.0f;
}

// GL objects go with TearDownGL, never here: there may be no context now.
Skewgrain::~Skewgrain() = default;

uint32_t Skewgrain::SetFloatValue(uint32_t index, float value)
{
    if (index >= parameterRows)
        return FF_FAIL;
    this->*parameters[index].member = value;
    return FF_SUCCESS;
}

float Skewgrain::GetFloatValue(uint32_t index)
{
    return index < parameterRows ? this->*parameters[index].member : 0.0f;
}

void Skewgrain::StartClock()
{
    ticksPerMillisecond = static_cast<double>(frayline::PerformanceFrequency()) / 1000.0;
    startCounter = frayline::ReadPerformanceCounter();
}

uint32_t Skewgrain::SetUpGL(const FFGLViewportStruct*)
{
    StartClock();
    shader.CompileAndLink(vertexShaderCode, fragmentShaderCode);
    shader.Bind();
    for (uint32_t i = 0; i < UniformCount; ++i)
        uniformLocations[i] = shader.UniformLocation(uniforms[i].name);
    glUniform1i(uniformLocations[0], 0);
    shader.Unbind();
    return FF_SUCCESS;
}

uint32_t Skewgrain::TearDownGL()
{
    shader.Release();
    return FF_SUCCESS;
}

void Skewgrain::AdvanceClock()
{
    previousTime = currentTime;
    // Wrapping subtraction: the difference is what counts, never an overflow.
    const int64_t ticks = static_cast<int64_t>(
        static_cast<uint64_t>(frayline::ReadPerformanceCounter()) - static_cast<uint64_t>(startCounter));
    currentTime = static_cast<double>(ticks) / ticksPerMillisecond / 1000.0;
    const float dt = static_cast<float>(currentTime - previousTime);
    // In doubles, in this order: 2*speed, minus 1, times dt, times 2, plus the
    // phase; rounded to float when stored.
    timeX = static_cast<float>((2.0 * xSpeed - 1.0) * dt * 2.0 + timeX);
    timeY = static_cast<float>((2.0 * ySpeed - 1.0) * dt * 2.0 + timeY);
}

void Skewgrain::UploadUniforms()
{
    for (uint32_t i = 0; i < UniformCount; ++i) {
        const UniformRow& row = uniforms[i];
        GLint location = uniformLocations[i];
        if (location < 0) {
            // Not in the program (or no program): look again, upload nothing.
            uniformLocations[i] = shader.UniformLocation(row.name);
            continue;
        }
        switch (row.upload) {
        case Upload::Sampler:
            glUniform1i(location, 0);
            break;
        case Upload::Float:
            glUniform1f(location, this->*row.first);
            break;
        case Upload::Vec2:
            glUniform2f(location, this->*row.first, this->*row.second);
            break;
        case Upload::Int:
            glUniform1i(location, Truncate(this->*row.first));
            break;
        }
    }
}

uint32_t Skewgrain::RenderFrame(const ProcessOpenGLStruct* record)
{
    // The clock runs at every call, drawn or not.
    AdvanceClock();

    if (record->numInputTextures == 0 || record->inputTextures == nullptr ||
        record->inputTextures[0] == nullptr)
        return FF_FAIL;
    const FFGLTextureStruct& input = *record->inputTextures[0];

    shader.Bind();
    const float maxS = UsedFraction(input.Width, input.HardwareWidth);
    const float maxT = UsedFraction(input.Height, input.HardwareHeight);
    UploadUniforms();

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, input.Handle);
    glBegin(GL_QUADS);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, maxT);
    glVertex2f(-1.0f, 1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, maxS, maxT);
    glVertex2f(1.0f, 1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, maxS, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glEnd();

    glBindTexture(GL_TEXTURE_2D, 0);
    shader.Unbind();
    return FF_SUCCESS;
}
