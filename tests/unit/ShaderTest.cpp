// The shader wrapper and the effect's two shader texts against the real
// driver, in-process: what CompileAndLink builds and prints, the calls the
// other operations make or do not make, and the fragment text's arithmetic
// checked pixel by pixel against the CPU model.

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "effect/ShaderCode.h"
#include "host/GLContext.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "shader/FFGLShader.h"
#include "support/GLCallCounter.h"
#include "support/PixelFixture.h"
#include "support/ShaderModel.h"

namespace {

using frayline::GLContext;
using frayline::PixelFormat;
using frayline::RenderTarget;
using frayline::Texture;
using frayline::gl::GLCallCounter;
namespace model = frayline::model;
namespace pixels = frayline::pixels;

const char* const goodVertex = "void main() { gl_Position = ftransform(); }";
const char* const goodFragment = "void main() { gl_FragColor = vec4(1.0); }";
const char* const brokenVertex = "void main() { gl_Position = undeclaredInVertex; }";
const char* const brokenFragment = "void main() { gl_FragColor = undeclaredInFragment; }";

// One context for the program: creating one costs more than a test.
class ShaderGL : public testing::Test {
protected:
    static void SetUpTestSuite() { context = new GLContext(); }
    static void TearDownTestSuite()
    {
        delete context;
        context = nullptr;
    }
    void SetUp() override { context->MakeCurrent(); }
    void TearDown() override
    {
        shader.Release();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    static GLContext* context;
    FFGLShader shader;
};
GLContext* ShaderGL::context = nullptr;

// The info log as the wrapper reads it: at most 1023 bytes with the NUL.
std::string Log1023(GLuint shader)
{
    char log[1024] = {};
    GLsizei length = 0;
    glGetShaderInfoLog(shader, 1023, &length, log);
    return std::string(log, static_cast<size_t>(length));
}

std::string FullLog(GLuint shader)
{
    GLint size = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &size);
    std::string log(static_cast<size_t>(size), '\0');
    GLsizei length = 0;
    glGetShaderInfoLog(shader, size, &length, log.data());
    log.resize(static_cast<size_t>(length));
    return log;
}

std::set<GLuint> Attached(GLuint program)
{
    GLuint names[4] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 4, &count, names);
    return std::set<GLuint>(names, names + count);
}

GLint LinkStatusOf(GLuint program)
{
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status;
}

std::string Captured()
{
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// ---- The wrapper ----

TEST_F(ShaderGL, CompileAndLinkOutcomes)
{
    struct Case {
        const char* name;
        const char* vertex;
        const char* fragment;
        bool vertexFails;
        bool fragmentFails;
        bool vertexAttached;
        bool fragmentAttached;
        bool links;
    };
    const Case cases[] = {
        {"both compile", goodVertex, goodFragment, false, false, true, true, true},
        {"fragment fails", goodVertex, brokenFragment, false, true, true, false, true},
        {"vertex fails", brokenVertex, goodFragment, true, false, false, true, true},
        {"both fail", brokenVertex, brokenFragment, true, true, false, false, false},
        {"empty vertex", "", goodFragment, false, false, false, true, true},
        {"empty fragment", goodVertex, "", false, false, true, false, true},
        {"both empty", "", "", false, false, false, false, false},
        {"both null", nullptr, nullptr, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FFGLShader wrapper;
        GLCallCounter calls;
        testing::internal::CaptureStdout();
        const int32_t result = wrapper.CompileAndLink(c.vertex, c.fragment);
        const std::string printed = Captured();

        ASSERT_NE(wrapper.programHandle, 0u);
        ASSERT_NE(wrapper.vertexShaderHandle, 0u);
        ASSERT_NE(wrapper.fragmentShaderHandle, 0u);
        // The fragment line comes first; each is the log, a blank, a newline.
        std::string expected;
        if (c.fragmentFails) {
            const std::string log = Log1023(wrapper.fragmentShaderHandle);
            EXPECT_NE(log.find("undeclaredInFragment"), std::string::npos) << log;
            expected += "Fragment Shader error: " + log + " \n";
        }
        if (c.vertexFails) {
            const std::string log = Log1023(wrapper.vertexShaderHandle);
            EXPECT_NE(log.find("undeclaredInVertex"), std::string::npos) << log;
            expected += "Vertex Shader error: " + log + " \n";
        }
        EXPECT_EQ(printed, expected);

        std::set<GLuint> attached;
        if (c.vertexAttached)
            attached.insert(wrapper.vertexShaderHandle);
        if (c.fragmentAttached)
            attached.insert(wrapper.fragmentShaderHandle);
        EXPECT_EQ(Attached(wrapper.programHandle), attached);

        EXPECT_EQ(calls.Counts().linkProgram, c.links ? 1u : 0u);
        const GLint status = c.links ? LinkStatusOf(wrapper.programHandle) : 0;
        EXPECT_EQ(result, status);
        EXPECT_EQ(wrapper.linkStatus, status);
        wrapper.Release();
    }
}

TEST_F(ShaderGL, LongLogIsPrintedCutToWhatGLGivesFor1023Bytes)
{
    // Every statement is an error of its own, so the log outgrows the buffer.
    std::string source = "void main() {";
    for (int i = 0; i < 100; ++i)
        source += " undeclared" + std::to_string(i) + " = 1.0;";
    source += " }";

    testing::internal::CaptureStdout();
    shader.CompileAndLink(goodVertex, source.c_str());
    const std::string printed = Captured();

    const std::string full = FullLog(shader.fragmentShaderHandle);
    ASSERT_GT(full.size(), 1023u);
    const std::string cut = Log1023(shader.fragmentShaderHandle);
    EXPECT_EQ(cut, full.substr(0, 1022));
    EXPECT_EQ(printed, "Fragment Shader error: " + cut + " \n");
}

TEST_F(ShaderGL, BindWithoutProgramAnswersZeroAndCallsNothing)
{
    GLCallCounter calls;
    EXPECT_EQ(shader.Bind(), 0u);
    EXPECT_EQ(calls.Counts().useProgram, 0u);
    EXPECT_EQ(shader.Unbind(), 1u);  // also without a program
    EXPECT_EQ(calls.Counts().useProgram, 1u);
}

TEST_F(ShaderGL, ReleaseDeletesEverythingAndASecondReleaseCallsNothing)
{
    ASSERT_EQ(shader.CompileAndLink(goodVertex, goodFragment), 1);
    const GLuint program = shader.programHandle;
    const GLuint vertex = shader.vertexShaderHandle;
    const GLuint fragment = shader.fragmentShaderHandle;

    GLCallCounter calls;
    shader.Release();
    EXPECT_EQ(calls.Counts().deleteShader, 2u);
    EXPECT_EQ(calls.Counts().deleteProgram, 1u);
    EXPECT_EQ(shader.programHandle, 0u);
    EXPECT_EQ(shader.vertexShaderHandle, 0u);
    EXPECT_EQ(shader.fragmentShaderHandle, 0u);
    EXPECT_EQ(shader.linkStatus, 1);  // kept

    calls.Reset();
    shader.Release();
    EXPECT_EQ(calls.Counts().deleteShader, 0u);
    EXPECT_EQ(calls.Counts().deleteProgram, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsShader(vertex));
    EXPECT_FALSE(glIsShader(fragment));

    // Empty again: the next CompileAndLink makes all three objects anew.
    ASSERT_EQ(shader.CompileAndLink(goodVertex, goodFragment), 1);
    EXPECT_TRUE(glIsProgram(shader.programHandle));
}

TEST_F(ShaderGL, UniformLocationOfAnUnusedNameIsMinusOne)
{
    ASSERT_EQ(shader.CompileAndLink(goodVertex, "uniform float declaredOnly; uniform float used; "
                                                "void main() { gl_FragColor = vec4(used); }"),
              1);
    EXPECT_GE(shader.UniformLocation("used"), 0);
    EXPECT_EQ(shader.UniformLocation("declaredOnly"), -1);
    EXPECT_EQ(shader.UniformLocation("neverDeclared"), -1);
}

// ---- The texts ----

TEST(ShaderTexts, VertexTextIsExactlyThe133Characters)
{
    EXPECT_EQ(vertexShaderCode,
              "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; "
              "gl_TexCoord[0] = gl_MultiTexCoord0; gl_FrontColor = gl_Color; }");
    EXPECT_EQ(vertexShaderCode.size(), 133u);
    EXPECT_EQ(vertexShaderCode.find('\n'), std::string::npos);
    EXPECT_EQ(fragmentShaderCode.find('\n'), std::string::npos);
    EXPECT_EQ(fragmentShaderCode.find("#version"), std::string::npos);
}

TEST_F(ShaderGL, TextsLinkWithExactlyTheNineUniforms)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(shader.CompileAndLink(vertexShaderCode, fragmentShaderCode), 1);
    EXPECT_EQ(Captured(), "");

    std::map<std::string, GLenum> active;
    GLint count = 0;
    glGetProgramiv(shader.programHandle, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[64] = {};
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(shader.programHandle, static_cast<GLuint>(i), sizeof name, &length,
                           &size, &type, name);
        EXPECT_EQ(size, 1) << name;
        // Built-in state the vertex text reads is listed too; it is GL's, not
        // the text's.
        const std::string uniform(name, static_cast<size_t>(length));
        if (uniform.compare(0, 3, "gl_") != 0)
            active[uniform] = type;
    }
    const std::map<std::string, GLenum> expected = {
        {"inputTexture", GL_SAMPLER_2D},
        {"distortion", GL_FLOAT_VEC2},
        {"strength", GL_FLOAT_VEC2},
        {"frequence", GL_FLOAT},
        {"nStr", GL_FLOAT},
        {"mode", GL_INT},
        {"swap", GL_INT},
        {"processCol", GL_INT},
        {"time", GL_FLOAT_VEC2},
    };
    EXPECT_EQ(active, expected);
}

// ---- The arithmetic ----

class ShaderArithmetic : public ShaderGL {
protected:
    void SetUp() override
    {
        ShaderGL::SetUp();
        ASSERT_EQ(shader.CompileAndLink(vertexShaderCode, fragmentShaderCode), 1);
    }

    // Draws the input through the program as the effect does: one quad over
    // the viewport, texture coordinates up to (maxS, maxT), input on unit 0.
    pixels::Frame Render(const Texture& input, const model::Uniforms& u, uint32_t width,
                         uint32_t height, const pixels::Quad& quad = pixels::Quad())
    {
        RenderTarget target(PixelFormat::RGBA32F, width, height);
        target.Bind();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        shader.Bind();
        auto at = [&](const char* name) { return shader.UniformLocation(name); };
        glUniform1i(at("inputTexture"), 0);
        glUniform2f(at("distortion"), float(u.distortion[0]), float(u.distortion[1]));
        glUniform2f(at("strength"), float(u.strength[0]), float(u.strength[1]));
        glUniform1f(at("frequence"), float(u.frequence));
        glUniform1f(at("nStr"), float(u.nStr));
        glUniform2f(at("time"), float(u.time[0]), float(u.time[1]));
        glUniform1i(at("mode"), u.mode);
        glUniform1i(at("swap"), u.swap);
        glUniform1i(at("processCol"), u.processCol);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, input.Handle());
        const float s = float(quad.maxS);
        const float t = float(quad.maxT);
        glBegin(GL_QUADS);
        glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
        glVertex2f(-1.0f, -1.0f);
        glMultiTexCoord2f(GL_TEXTURE0, 0.0f, t);
        glVertex2f(-1.0f, 1.0f);
        glMultiTexCoord2f(GL_TEXTURE0, s, t);
        glVertex2f(1.0f, 1.0f);
        glMultiTexCoord2f(GL_TEXTURE0, s, 0.0f);
        glVertex2f(1.0f, -1.0f);
        glEnd();
        glBindTexture(GL_TEXTURE_2D, 0);
        shader.Unbind();
        return pixels::Frame{width, height, target.ReadRGBA32F()};
    }
};

TEST_F(ShaderArithmetic, EveryPixelFetchesTheTexelTheModelNames)
{
    struct Case {
        const char* name;
        model::Uniforms uniforms;
    };
    std::vector<Case> cases;
    model::Uniforms u;
    cases.push_back({"defaults", u});

    u = model::Uniforms();
    u.distortion[0] = 0.625;
    u.distortion[1] = 0.4375;
    u.strength[0] = 0.75;
    u.strength[1] = 0.3125;
    u.time[0] = 0.3;
    u.time[1] = -1.7;
    cases.push_back({"both axes", u});

    u.mode = 1;
    u.strength[0] = 0.875;
    u.strength[1] = 0.125;
    cases.push_back({"offset mode", u});

    u = model::Uniforms();
    u.distortion[1] = 0.5;
    u.swap = 1;
    u.time[1] = 0.75;
    cases.push_back({"swap", u});

    // No coordinate in the noise: one displacement for the whole picture,
    // about 3 texels left and 1.5 down here.
    u = model::Uniforms();
    u.frequence = 0.0;
    u.distortion[0] = 0.5;
    u.distortion[1] = 0.5;
    u.time[0] = 0.5;
    u.time[1] = 1.25;
    cases.push_back({"frequence 0", u});

    u = model::Uniforms();
    u.distortion[1] = 0.5;
    u.processCol = 1;
    cases.push_back({"colour influence", u});

    u = model::Uniforms();
    u.distortion[0] = 2.0;
    cases.push_back({"distortion 2.0", u});

    // Large sine arguments (up to about 500), where single precision strays
    // furthest from the model.
    u = model::Uniforms();
    u.frequence = 1.0;
    u.nStr = 1.0;
    u.distortion[1] = 0.25;
    u.time[0] = 40.5;
    u.time[1] = -25.25;
    cases.push_back({"large sine arguments", u});

    const Texture input = pixels::CoordinateTexture(64, 64);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const model::Uniforms uploaded = pixels::AsUploaded(c.uniforms);
        EXPECT_TRUE(
            pixels::MatchesModel(Render(input, uploaded, 64, 64), input, pixels::Quad(), uploaded));
    }
}

}  // namespace
