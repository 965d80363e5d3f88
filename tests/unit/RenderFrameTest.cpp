// Frame rendering in-process, on the real driver with the controllable
// clock: the drift phases in the picture, a program that did not link, the
// frame path's allocations, and the GL objects an instance leaves behind.

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <set>

#include <gtest/gtest.h>

#include "effect/Skewgrain.h"
#include "host/GLContext.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "plugin/plugMain.h"
#include "support/AllocationCounter.h"
#include "support/FakeCounter.h"
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

class RenderFrameGL : public testing::Test {
protected:
    static void SetUpTestSuite() { context = new GLContext(); }
    static void TearDownTestSuite()
    {
        delete context;
        context = nullptr;
    }
    void SetUp() override
    {
        context->MakeCurrent();
        frayline::fake::frequency = 1000000000;
        frayline::fake::counter = 5000;
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        plugMain(FF_DEINITIALISE, 0, 0);
    }

    static uintptr_t Instantiate()
    {
        FFGLViewportStruct viewport{0, 0, 64, 64};
        const MixedValue id =
            plugMain(FF_INSTANTIATEGL, reinterpret_cast<MixedValue>(&viewport), 0);
        EXPECT_NE(id, FF_ALLBITS);
        return id;
    }
    static void Set(uintptr_t instance, uint32_t index, float value)
    {
        SetParameterStruct record{index, FloatBits(value)};
        EXPECT_EQ(plugMain(FF_SETPARAMETER, reinterpret_cast<MixedValue>(&record), instance),
                  FF_SUCCESS);
    }

    static GLContext* context;
};
GLContext* RenderFrameGL::context = nullptr;

// Every shader or program object among the first `names` names.
std::set<GLuint> LiveShaderObjects(GLuint names)
{
    std::set<GLuint> live;
    for (GLuint name = 1; name <= names; ++name) {
        if (glIsProgram(name) || glIsShader(name))
            live.insert(name);
    }
    return live;
}

TEST_F(RenderFrameGL, DriftPhasesReachThePicture)
{
    const uintptr_t instance = Instantiate();
    Set(instance, 1, 0.5f);  // Y Distortion
    Set(instance, 6, 1.0f);  // X Speed: +2 per second
    Set(instance, 7, 0.0f);  // Y Speed: -2 per second
    const Texture input = pixels::CoordinateTexture(64, 64);

    model::Uniforms expected;
    expected.distortion[1] = 0.5;
    struct Step {
        double seconds;
        double phase;
    };
    pixels::Frame previous;
    for (const Step& step : {Step{0.25, 0.5}, Step{0.375, 1.25}}) {
        SCOPED_TRACE(step.phase);
        frayline::fake::Advance(step.seconds);
        const pixels::Frame frame =
            pixels::RenderThrough(plugMain, instance, input.Record(), 64, 64);
        expected.time[0] = step.phase;
        expected.time[1] = -step.phase;
        EXPECT_TRUE(pixels::MatchesModel(frame, input, pixels::Quad(), expected));
        EXPECT_NE(frame.rgba, previous.rgba);
        previous = frame;
    }
    EXPECT_EQ(plugMain(FF_DEINSTANTIATEGL, 0, instance), FF_SUCCESS);
}

// Set-up finds all nine uniforms, and a frame looks none of them up again;
// with a program that did not link, every frame looks up all nine, uploads
// none, and still draws and succeeds.
TEST_F(RenderFrameGL, OnlyLocationsNotFoundAreLookedUpAtEveryFrame)
{
    const Texture input = pixels::CoordinateTexture(8, 8);
    FFGLTextureStruct texture = input.Record();
    FFGLTextureStruct* textures[1] = {&texture};
    const ProcessOpenGLStruct record{1, textures, 0};
    RenderTarget target(PixelFormat::RGBA32F, 8, 8);
    target.Bind();

    struct Case {
        const char* name;
        bool links;
    };
    for (const Case& c : {Case{"linked", true}, Case{"not linked", false}}) {
        SCOPED_TRACE(c.name);
        Skewgrain effect;
        // A program object made beforehand: CompileAndLink then makes no
        // shader and links nothing, the state a failed compile leaves.
        if (!c.links)
            effect.shader.programHandle = glCreateProgram();
        GLCallCounter calls;
        EXPECT_EQ(effect.SetUpGL(nullptr), FF_SUCCESS);
        EXPECT_EQ(effect.shader.linkStatus, c.links ? 1 : 0);
        EXPECT_EQ(calls.Counts().getUniformLocation, 9u);
        for (int frame = 1; frame <= 3; ++frame) {
            calls.Reset();
            EXPECT_EQ(effect.RenderFrame(&record), FF_SUCCESS);
            EXPECT_EQ(calls.Counts().getUniformLocation, c.links ? 0u : 9u);
        }
        for (int32_t location : effect.uniformLocations)
            EXPECT_EQ(location >= 0, c.links);
        // GL refuses to make an unlinked program current: that error, and
        // no other, is left.
        EXPECT_EQ(glGetError(), c.links ? GLenum(GL_NO_ERROR) : GLenum(GL_INVALID_OPERATION));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        effect.TearDownGL();
    }
}

// The frame path, dispatch included, allocates nothing: see
// support/AllocationCounter.h for what is counted and how.
// The three switches reach their int uniforms truncated toward zero. Values
// an int cannot hold saturate and NaN gives 0, where a plain conversion would
// be undefined.
TEST_F(RenderFrameGL, SwitchValuesReachTheirUniformsTruncated)
{
    const Texture input = pixels::CoordinateTexture(4, 4);
    FFGLTextureStruct texture = input.Record();
    FFGLTextureStruct* textures[1] = {&texture};
    const ProcessOpenGLStruct record{1, textures, 0};
    RenderTarget target(PixelFormat::RGBA8, 4, 4);
    target.Bind();

    Skewgrain effect;
    effect.SetUpGL(nullptr);
    struct Case {
        float value;
        GLint uploaded;
    };
    const Case cases[] = {
        {0.99f, 0},           {1.0f, 1},
        {2.5f, 2},            {-1.5f, -1},
        {1e10f, 2147483647},  {-1e10f, -2147483647 - 1},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        effect.randomMode = c.value;
        effect.swapXAndY = c.value;
        effect.colorInfluence = c.value;
        ASSERT_EQ(effect.RenderFrame(&record), FF_SUCCESS);
        for (const char* name : {"mode", "swap", "processCol"}) {
            GLint uploaded = -7;
            glGetUniformiv(effect.shader.programHandle,
                           glGetUniformLocation(effect.shader.programHandle, name), &uploaded);
            EXPECT_EQ(uploaded, c.uploaded) << name;
        }
    }
    effect.TearDownGL();
}

TEST_F(RenderFrameGL, NoHeapAllocationOnTheFramePath)
{
    // The probe sees an allocation made in this executable.
    frayline::allocations::Start();
    int* volatile object = new int(1);
    delete object;
    void* volatile block = std::malloc(16);
    std::free(block);
    const frayline::allocations::Counts probe = frayline::allocations::Stop();
    EXPECT_EQ(probe.operatorNew, 1u);
    EXPECT_EQ(probe.malloc, frayline::allocations::CountsMalloc() ? 1u : 0u);

    const uintptr_t instance = Instantiate();
    Set(instance, 1, 0.5f);
    Set(instance, 8, 1.0f);
    Set(instance, 10, 1.0f);
    Set(instance, 6, 1.0f);
    const Texture input = pixels::CoordinateTexture(16, 16);
    FFGLTextureStruct texture = input.Record();
    FFGLTextureStruct* textures[1] = {&texture};
    ProcessOpenGLStruct record{1, textures, 0};
    RenderTarget target(PixelFormat::RGBA8, 16, 16);
    target.Bind();
    // The driver builds its shader variants at the first draws: let it.
    for (int frame = 0; frame < 10; ++frame)
        plugMain(FF_PROCESSOPENGL, reinterpret_cast<MixedValue>(&record), instance);
    glFinish();

    frayline::allocations::Start();
    uint32_t failures = 0;
    for (int frame = 0; frame < 1000; ++frame) {
        frayline::fake::Advance(0.016);
        if (plugMain(FF_PROCESSOPENGL, reinterpret_cast<MixedValue>(&record), instance) !=
            FF_SUCCESS)
            ++failures;
    }
    glFinish();
    const frayline::allocations::Counts counts = frayline::allocations::Stop();
    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(counts.operatorNew, 0u);
    EXPECT_EQ(counts.malloc, 0u);
    EXPECT_EQ(plugMain(FF_DEINSTANTIATEGL, 0, instance), FF_SUCCESS);
}

TEST_F(RenderFrameGL, DeinstantiateLeavesNoGLObjectBehind)
{
    constexpr GLuint scanned = 4096;
    const std::set<GLuint> before = LiveShaderObjects(scanned);
    const Texture input = pixels::CoordinateTexture(8, 8);
    GLuint highest = 0;
    for (int cycle = 0; cycle < 100; ++cycle) {
        const uintptr_t instance = Instantiate();
        MixedValue answer = FF_FAIL;
        pixels::RenderThrough(plugMain, instance, input.Record(), 8, 8, &answer);
        ASSERT_EQ(answer, FF_SUCCESS);
        const auto* effect =
            static_cast<const Skewgrain*>(reinterpret_cast<CFreeFrameGLPlugin*>(instance));
        const GLuint program = effect->shader.programHandle;
        const GLuint vertex = effect->shader.vertexShaderHandle;
        const GLuint fragment = effect->shader.fragmentShaderHandle;
        ASSERT_TRUE(glIsProgram(program));
        ASSERT_TRUE(glIsShader(vertex));
        ASSERT_TRUE(glIsShader(fragment));
        highest = std::max({highest, program, vertex, fragment});

        ASSERT_EQ(plugMain(FF_DEINSTANTIATEGL, 0, instance), FF_SUCCESS);
        ASSERT_FALSE(glIsProgram(program));
        ASSERT_FALSE(glIsShader(vertex));
        ASSERT_FALSE(glIsShader(fragment));
    }
    ASSERT_LT(highest, scanned);
    EXPECT_EQ(LiveShaderObjects(scanned), before);
}

}  // namespace
