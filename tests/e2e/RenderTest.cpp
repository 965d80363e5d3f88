// Frames through the built plugin, as a host draws them: parameters set with
// FF_SETPARAMETER, a coordinate texture drawn with FF_PROCESSOPENGL into a
// float target, every pixel compared with the CPU model of the shader.
//
// The plugin's clock is the real one here. With X Speed and Y Speed at 0.5
// the drift phases stay exactly 0 however much time passes, so the
// comparisons keep those defaults.

#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/GLContext.h"
#include "host/PluginLibrary.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "support/PixelFixture.h"
#include "support/ShaderModel.h"

namespace {

using frayline::GLContext;
using frayline::PixelFormat;
using frayline::PluginLibrary;
using frayline::RenderTarget;
using frayline::Texture;
namespace model = frayline::model;
namespace pixels = frayline::pixels;

class Render : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        context = new GLContext();
        plugin = new PluginLibrary(FRAYLINE_PLUGIN_PATH);
    }
    static void TearDownTestSuite()
    {
        plugin->Deinitialise();
        delete plugin;
        delete context;
    }
    void SetUp() override
    {
        context->MakeCurrent();
        FFGLViewportStruct viewport{0, 0, 64, 64};
        const MixedValue id = plugin->InstantiateGL(&viewport);
        ASSERT_NE(id, FF_ALLBITS);
        instance = id;
    }
    void TearDown() override
    {
        EXPECT_EQ(plugin->DeinstantiateGL(instance), FF_SUCCESS);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    void Set(uint32_t index, float value)
    {
        EXPECT_EQ(plugin->SetParameter(instance, index, value), FF_SUCCESS);
    }
    pixels::Frame Frame(const FFGLTextureStruct& input, uint32_t width, uint32_t height)
    {
        MixedValue answer = FF_FAIL;
        pixels::Frame frame =
            pixels::RenderThrough(plugin->Entry(), instance, input, width, height, &answer);
        EXPECT_EQ(answer, FF_SUCCESS);
        return frame;
    }

    static GLContext* context;
    static PluginLibrary* plugin;
    uintptr_t instance = 0;
};
GLContext* Render::context = nullptr;
PluginLibrary* Render::plugin = nullptr;

enum Parameter : uint32_t {
    XDistortion = 0,
    YDistortion,
    StrengthX,
    StrengthY,
    Frequence,
    RandomStrength,
    XSpeed,
    YSpeed,
    RandomMode,
    SwapXAndY,
    ColorInfluence
};

TEST_F(Render, FramesMatchTheModel)
{
    struct Case {
        const char* name;
        std::vector<std::pair<Parameter, float>> settings;
        // What the shader should receive: parameter values and truncated
        // switches, written out rather than derived.
        model::Uniforms expected;
    };
    auto uniforms = [](auto change) {
        model::Uniforms u;
        change(u);
        return pixels::AsUploaded(u);
    };
    const Case cases[] = {
        {"defaults", {}, uniforms([](model::Uniforms&) {})},
        {"offset mode",
         {{RandomMode, 1.0f}, {StrengthX, 0.875f}, {YDistortion, 0.5f}, {StrengthY, 0.125f}},
         uniforms([](model::Uniforms& u) {
             u.mode = 1;
             u.strength[0] = 0.875;
             u.distortion[1] = 0.5;
             u.strength[1] = 0.125;
         })},
        {"swap", {{SwapXAndY, 1.0f}, {YDistortion, 0.5f}}, uniforms([](model::Uniforms& u) {
             u.swap = 1;
             u.distortion[1] = 0.5;
         })},
        // No coordinate in the noise, so one displacement for the whole
        // picture. At phase 0 the noise is sin(PI) times the amplitude, tiny
        // in range; a Random Strength of 100 (values are not clamped) makes
        // it 0.046, about 3 texels right and down in offset mode.
        {"frequence 0",
         {{Frequence, 0.0f},
          {RandomStrength, 100.0f},
          {RandomMode, 1.0f},
          {XDistortion, 1.0f},
          {StrengthX, 1.0f},
          {YDistortion, 1.0f},
          {StrengthY, 0.0f}},
         uniforms([](model::Uniforms& u) {
             u.frequence = 0.0;
             u.nStr = 100.0;
             u.mode = 1;
             u.distortion[0] = 1.0;
             u.strength[0] = 1.0;
             u.distortion[1] = 1.0;
             u.strength[1] = 0.0;
         })},
        {"colour influence",
         {{ColorInfluence, 1.0f}, {YDistortion, 0.5f}},
         uniforms([](model::Uniforms& u) {
             u.processCol = 1;
             u.distortion[1] = 0.5;
         })},
        {"distortion 2.0", {{XDistortion, 2.0f}}, uniforms([](model::Uniforms& u) {
             u.distortion[0] = 2.0;
         })},
        {"Random Mode 0.99 uploads 0",
         {{RandomMode, 0.99f}, {StrengthX, 0.875f}},
         uniforms([](model::Uniforms& u) { u.strength[0] = 0.875; })},
        {"Random Mode 2.5 uploads 2",
         {{RandomMode, 2.5f}, {StrengthX, 0.875f}},
         uniforms([](model::Uniforms& u) {
             u.mode = 2;
             u.strength[0] = 0.875;
         })},
    };
    const Texture input = pixels::CoordinateTexture(64, 64);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t index = 0; index < 11; ++index)
            Set(index, BitsFloat(static_cast<uint32_t>(plugin->ParameterDefault(index))));
        for (const auto& [index, value] : c.settings)
            Set(index, value);
        EXPECT_TRUE(
            pixels::MatchesModel(Frame(input.Record(), 64, 64), input, pixels::Quad(), c.expected));
    }
}

// A host pads its textures: the used 640 x 480 sit in a 1024 x 512
// allocation, and the quad's coordinates end at 0.625 and 0.9375. The target
// is a fifth of the picture, so every pixel centre falls on a texel centre.
TEST_F(Render, UsedRegionOfALargerAllocation)
{
    Set(YDistortion, 0.5f);
    const Texture input = pixels::CoordinateTexture(640, 480, 1024, 512);
    model::Uniforms expected;
    expected.distortion[1] = 0.5;
    EXPECT_TRUE(pixels::MatchesModel(Frame(input.Record(), 128, 96), input,
                                     pixels::Quad{0.625, 0.9375}, expected));
}

// A record without an allocation size takes the whole texture on that axis.
TEST_F(Render, HardwareSizeZeroUsesTheWholeTexture)
{
    Set(YDistortion, 0.5f);
    const Texture input = pixels::CoordinateTexture(64, 64);
    model::Uniforms expected;
    expected.distortion[1] = 0.5;
    struct Case {
        uint32_t hardwareWidth;
        uint32_t hardwareHeight;
        pixels::Quad quad;
    };
    for (const Case& c :
         {Case{0, 0, {1.0, 1.0}}, Case{0, 64, {1.0, 0.5}}, Case{128, 0, {0.25, 1.0}}}) {
        SCOPED_TRACE(testing::Message() << c.hardwareWidth << " x " << c.hardwareHeight);
        const FFGLTextureStruct record{32, 32, c.hardwareWidth, c.hardwareHeight, input.Handle()};
        EXPECT_TRUE(pixels::MatchesModel(Frame(record, 64, 64), input, c.quad, expected));
    }
}

// At speed 0.5 the phases stand still whatever the clock says; at 1.0 the
// picture moves as soon as the clock does.
TEST_F(Render, SpeedHalfHoldsThePictureAndSpeedOneMovesIt)
{
    Set(YDistortion, 0.5f);
    const Texture input = pixels::CoordinateTexture(64, 64);
    const pixels::Frame first = Frame(input.Record(), 64, 64);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Frame(input.Record(), 64, 64).rgba, first.rgba);

    Set(XSpeed, 1.0f);
    Set(YSpeed, 1.0f);
    // The phase grows by 2 per second; a few milliseconds already move
    // pixels. Waits in small steps, bounded, rather than for a set time.
    bool moved = false;
    for (int attempt = 0; attempt < 200 && !moved; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        moved = Frame(input.Record(), 64, 64).rgba != first.rgba;
    }
    EXPECT_TRUE(moved);
}

TEST_F(Render, AFrameLeavesUnitZeroActiveNothingBoundAndNoProgram)
{
    const Texture input = pixels::CoordinateTexture(8, 8);
    const Texture other = pixels::CoordinateTexture(8, 8);
    const GLuint program = glCreateProgram();
    const GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
    const char* source = "void main() { gl_FragColor = vec4(1.0); }";
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    glAttachShader(program, shader);
    glLinkProgram(program);

    RenderTarget target(PixelFormat::RGBA8, 8, 8);
    target.Bind();
    // The host's own state before the frame: a program of its own, a
    // texture on unit 0, and another unit active.
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, other.Handle());
    glActiveTexture(GL_TEXTURE2);

    FFGLTextureStruct texture = input.Record();
    FFGLTextureStruct* textures[1] = {&texture};
    ProcessOpenGLStruct record{1, textures, target.Handle()};
    EXPECT_EQ(plugin->ProcessOpenGL(instance, &record), FF_SUCCESS);

    GLint active = 0;
    GLint bound = -1;
    GLint current = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(current, 0);

    glDeleteShader(shader);
    glDeleteProgram(program);
}

}  // namespace
