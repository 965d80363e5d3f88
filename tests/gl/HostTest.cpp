// The reference host against a real driver: the context, textures and render
// targets drawn through and read back, and plugin binaries loaded by path.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RecordingPlugin.h"
#include "host/GLCheck.h"
#include "host/GLContext.h"
#include "host/HostError.h"
#include "host/PluginLibrary.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"

namespace frayline {
namespace {

// One context for the whole program: creating one costs more than a test.
class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { context = new GLContext(); }
    static void TearDownTestSuite()
    {
        delete context;
        context = nullptr;
    }
    void SetUp() override { context->MakeCurrent(); }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    static GLContext* context;
};
GLContext* GLTest::context = nullptr;

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const HostError& error) {
        return error.what();
    }
    return "(no HostError)";
}

// ---- The context ----

std::string CurrentVersion()
{
    const GLubyte* version = glGetString(GL_VERSION);
    return version ? reinterpret_cast<const char*>(version) : "(no context current)";
}

using GLContextTest = GLTest;

TEST_F(GLContextTest, IsCompatibilityAndDrawsInImmediateMode)
{
    GLint mask = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    EXPECT_TRUE(mask & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT) << context->Version();
    EXPECT_FALSE(context->Renderer().empty());

    RenderTarget target(PixelFormat::RGBA8, 2, 2);
    target.Bind();
    glColor4ub(200, 100, 50, 255);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glColor4ub(255, 255, 255, 255);
    const std::vector<uint8_t> pixel = {200, 100, 50, 255};
    std::vector<uint8_t> expected;
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), pixel.begin(), pixel.end());
    EXPECT_EQ(target.ReadRGBA8(), expected);
}

TEST_F(GLContextTest, FailuresSayWhatIsMissing)
{
    struct Case {
        const char* what;
        GLContext::Request request;
        std::string prefix;
    };
    GLContext::Request unknownPlatform;
    unknownPlatform.eglPlatform = 0x1234;
    GLContext::Request core;
    core.coreProfile = true;
    const std::string version = CurrentVersion();
    const std::vector<Case> cases = {
        {"unknown EGL platform", unknownPlatform, "no EGL display: "},
        // The driver does give a core context: the host's own check must refuse it.
        {"core profile", core, "no OpenGL compatibility context: "},
    };
    for (const Case& c : cases) {
        const std::string message = MessageOf([&] { GLContext failing(c.request); });
        EXPECT_EQ(message.rfind(c.prefix, 0), 0u) << c.what << ": " << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        // A failed attempt leaves the working context current.
        EXPECT_EQ(CurrentVersion(), version) << c.what;
    }
}

// ---- Textures and render targets ----

// Draws a texture over the whole bound target, addressing only its used
// region, the way a plugin reads a host's input.
void DrawPassthrough(const FFGLTextureStruct& texture)
{
    const float s = float(texture.Width) / float(texture.HardwareWidth);
    const float t = float(texture.Height) / float(texture.HardwareHeight);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture.Handle);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(s, 0);
    glVertex2f(1, -1);
    glTexCoord2f(s, t);
    glVertex2f(1, 1);
    glTexCoord2f(0, t);
    glVertex2f(-1, 1);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

// State a plugin or an earlier pass might leave behind; Bind must undo it.
void Disturb()
{
    glViewport(0, 0, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glTranslatef(0.5f, 0.25f, 0);
    glMatrixMode(GL_MODELVIEW);
    glScalef(0.5f, 0.5f, 1);
}

struct PassthroughCase {
    PixelFormat format;
    uint32_t width, height, hardwareWidth, hardwareHeight;
};

void PrintTo(const PassthroughCase& c, std::ostream* out)
{
    *out << (c.format == PixelFormat::RGBA8 ? "RGBA8 " : "RGBA32F ") << c.width << "x" << c.height
         << " in " << c.hardwareWidth << "x" << c.hardwareHeight;
}

class PassthroughTest : public GLTest, public ::testing::WithParamInterface<PassthroughCase> {};

// Every texel distinct and opaque, so a fetch from the wrong texel, from the
// unwritten padding or a flipped row shows. The float texels hold their own
// coordinates, past 1 and below 0, which an 8-bit path would clamp.
TEST_P(PassthroughTest, ReadsBackExactly)
{
    const PassthroughCase c = GetParam();
    Texture texture(c.format, c.width, c.height, c.hardwareWidth, c.hardwareHeight);
    RenderTarget target(c.format, c.width, c.height);
    std::vector<uint8_t> bytes;
    std::vector<float> floats;
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x) {
            bytes.insert(bytes.end(),
                         {uint8_t(10 + 30 * x), uint8_t(20 + 40 * y), uint8_t(250 - x - y), 255});
            floats.insert(floats.end(), {x + 0.5f, y + 0.25f, -0.125f * float(x + y), 1.0f});
        }
    if (c.format == PixelFormat::RGBA8)
        texture.Upload(bytes);
    else
        texture.Upload(floats);

    Disturb();
    target.Bind();
    DrawPassthrough(texture.Record());

    if (c.format == PixelFormat::RGBA8)
        EXPECT_EQ(target.ReadRGBA8(), bytes);
    else
        EXPECT_EQ(target.ReadRGBA32F(), floats);
}

INSTANTIATE_TEST_SUITE_P(UsedRegions, PassthroughTest,
                         ::testing::Values(PassthroughCase{PixelFormat::RGBA8, 8, 6, 8, 6},
                                           PassthroughCase{PixelFormat::RGBA8, 5, 3, 8, 8},
                                           PassthroughCase{PixelFormat::RGBA32F, 8, 6, 8, 6},
                                           PassthroughCase{PixelFormat::RGBA32F, 7, 5, 16, 8}));

using TextureTest = GLTest;

// A black and a white texel stretched over four pixels: nearest gives hard
// halves; linear blends the middle and, with clamp-to-edge, leaves the outer
// pixels pure (a repeating wrap would blend them with the far texel).
TEST_F(TextureTest, FilterIsSelectableAndWrapClamps)
{
    Texture texture(PixelFormat::RGBA8, 2, 1);
    texture.Upload(std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 255, 255});
    RenderTarget target(PixelFormat::RGBA8, 4, 1);
    auto reds = [&] {
        target.Bind();
        DrawPassthrough(texture.Record());
        const std::vector<uint8_t> pixels = target.ReadRGBA8();
        return std::vector<int>{pixels[0], pixels[4], pixels[8], pixels[12]};
    };

    EXPECT_EQ(reds(), (std::vector<int>{0, 0, 255, 255}));
    texture.SetFilter(Texture::Filter::Linear);
    const std::vector<int> linear = reds();
    EXPECT_EQ(linear[0], 0);
    EXPECT_GT(linear[1], 0);
    EXPECT_LT(linear[2], 255);
    EXPECT_EQ(linear[3], 255);
}

TEST_F(TextureTest, RejectsBadSizesAndUploads)
{
    EXPECT_THROW(Texture(PixelFormat::RGBA8, 0, 4), HostError);
    EXPECT_THROW(Texture(PixelFormat::RGBA8, 9, 4, 8, 8), HostError);
    EXPECT_THROW(Texture(PixelFormat::RGBA32F, 4, 9, 8, 8), HostError);

    Texture texture(PixelFormat::RGBA8, 2, 2, 4, 4);
    EXPECT_THROW(texture.Upload(std::vector<uint8_t>(4 * 4 * 4)), HostError)
        << "the allocation's size";
    EXPECT_THROW(texture.Upload(std::vector<float>(2 * 2 * 4)), HostError) << "floats into RGBA8";
    EXPECT_NO_THROW(texture.Upload(std::vector<uint8_t>(2 * 2 * 4)));
}

// ---- Plugin binaries ----

TEST(PluginLibraryTest, UnloadableBinarySaysWhichAndWhy)
{
    // A bare name means the working directory, not the library search path,
    // so even a library the system has is not found that way.
    for (const std::string path : {"/nonexistent/frayline.so", __FILE__, "libc.so.6"}) {
        const std::string message = MessageOf([&] { PluginLibrary plugin(path); });
        const std::string prefix = "plugin not found: " + path + ": ";
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
        EXPECT_GT(message.size(), prefix.size()) << "a reason: " << message;
        EXPECT_EQ(message.find(path, prefix.size()), std::string::npos)
            << "the path once: " << message;
    }
}

TEST(PluginLibraryTest, LibraryWithoutPlugMainIsRefused)
{
    EXPECT_EQ(MessageOf([] { PluginLibrary plugin(FRAYLINE_NO_PLUGMAIN_PATH); }),
              std::string("no plugMain in ") + FRAYLINE_NO_PLUGMAIN_PATH);
}

class RecordingPluginTest : public ::testing::Test {
protected:
    void Answer(MixedValue value) const { plugin.Call(recording::SET_ANSWER, value); }
    const recording::LastCall& Last() const
    {
        return *reinterpret_cast<const recording::LastCall*>(plugin.Call(recording::LAST_CALL));
    }

    PluginLibrary plugin{FRAYLINE_RECORDING_PLUGIN_PATH};
};

template <typename T>
MixedValue Address(T* pointer)
{
    return reinterpret_cast<MixedValue>(pointer);
}

// Each typed wrapper sends its own function code, with the input and the
// instance where that code takes them.
TEST_F(RecordingPluginTest, WrappersSendTheirCodeInputAndInstance)
{
    char frame[4];
    FFGLViewportStruct viewport{0, 0, 64, 32};
    double time = 2.5;
    ProcessOpenGLStruct openGL{};
    struct Case {
        std::function<void(const PluginLibrary&)> call;
        uint32_t code;
        MixedValue input;
        uintptr_t instance;
    };
    const std::vector<Case> cases = {
        {[](auto& p) { p.GetInfo(); }, FF_GETINFO, 0, 0},
        {[](auto& p) { p.Initialise(); }, FF_INITIALISE, 0, 0},
        {[](auto& p) { p.Deinitialise(); }, FF_DEINITIALISE, 0, 0},
        {[&](auto& p) { p.ProcessFrame(7, frame); }, FF_PROCESSFRAME, Address(frame), 7},
        {[](auto& p) { p.NumParameters(); }, FF_GETNUMPARAMETERS, 0, 0},
        {[](auto& p) { p.ParameterName(3); }, FF_GETPARAMETERNAME, 3, 0},
        {[](auto& p) { p.ParameterDefault(4); }, FF_GETPARAMETERDEFAULT, 4, 0},
        {[](auto& p) { p.ParameterDisplay(7, 5); }, FF_GETPARAMETERDISPLAY, 5, 7},
        {[](auto& p) { p.GetParameterBits(7, 6); }, FF_GETPARAMETER, 6, 7},
        {[](auto& p) { p.GetParameter(8, 2); }, FF_GETPARAMETER, 2, 8},
        {[](auto& p) { p.PluginCaps(FF_CAP_SETTIME); }, FF_GETPLUGINCAPS, FF_CAP_SETTIME, 0},
        {[&](auto& p) { p.Instantiate(frame); }, FF_INSTANTIATE, Address(frame), 0},
        {[](auto& p) { p.Deinstantiate(7); }, FF_DEINSTANTIATE, 0, 7},
        {[](auto& p) { p.GetExtendedInfo(); }, FF_GETEXTENDEDINFO, 0, 0},
        {[&](auto& p) { p.ProcessFrameCopy(7, frame); }, FF_PROCESSFRAMECOPY, Address(frame), 7},
        {[](auto& p) { p.ParameterType(9); }, FF_GETPARAMETERTYPE, 9, 0},
        {[](auto& p) { p.InputStatus(7, 1); }, FF_GETINPUTSTATUS, 1, 7},
        {[&](auto& p) { p.ProcessOpenGL(7, &openGL); }, FF_PROCESSOPENGL, Address(&openGL), 7},
        {[&](auto& p) { p.InstantiateGL(&viewport); }, FF_INSTANTIATEGL, Address(&viewport), 0},
        {[](auto& p) { p.DeinstantiateGL(7); }, FF_DEINSTANTIATEGL, 0, 7},
        {[&](auto& p) { p.SetTime(7, &time); }, FF_SETTIME, Address(&time), 7},
        {[](auto& p) { p.Connect(7); }, FF_CONNECT, 0, 7},
        {[](auto& p) { p.Disconnect(7); }, FF_DISCONNECT, 0, 7},
        {[&](auto& p) { p.Resize(7, Address(&viewport)); }, FF_RESIZE, Address(&viewport), 7},
        {[](auto& p) { p.ParameterExtra1(10); }, FF_GETPARAMETEREXTRA1, 10, 0},
        {[](auto& p) { p.ParameterExtra2(10); }, FF_GETPARAMETEREXTRA2, 10, 0},
        {[](auto& p) { p.PrototypeQuery(); }, FF_PROTOTYPEQUERY, 0, 0},
    };
    for (const Case& c : cases) {
        c.call(plugin);
        const recording::LastCall& last = Last();
        EXPECT_EQ(last.code, c.code);
        EXPECT_EQ(last.input, c.input) << "code " << c.code;
        EXPECT_EQ(last.instance, c.instance) << "code " << c.code;
    }

    EXPECT_EQ(plugin.SetParameter(7, 3, 0.75f), FF_SUCCESS);
    EXPECT_EQ(Last().code, FF_SETPARAMETER);
    EXPECT_EQ(Last().instance, 7u);
    EXPECT_EQ(Last().parameter.ParameterNumber, 3u);
    EXPECT_EQ(Last().parameter.NewParameterValue, FloatBits(0.75f));
}

// Codes and float bits are the low half of an answer; instance handles and
// defaults stay whole; failures from pointer answers become null.
TEST_F(RecordingPluginTest, AnswersAreReadAsTheirCodeDefines)
{
    // The high half of a 64-bit answer, all set; nothing in a 32-bit build.
    const MixedValue high = FF_ALLBITS ^ 0xFFFFFFFFu;
    Answer(high | 5);
    EXPECT_EQ(plugin.Initialise(), 5u);
    EXPECT_EQ(plugin.PluginCaps(FF_CAP_PROCESSOPENGL), 5u);
    EXPECT_EQ(plugin.PrototypeQuery(), high | 5);
    EXPECT_EQ(plugin.InstantiateGL(nullptr), high | 5);

    Answer(high | FloatBits(0.25f));
    EXPECT_EQ(plugin.GetParameter(1, 0), 0.25f);
    EXPECT_EQ(plugin.ParameterDefault(0), high | FloatBits(0.25f));

    static const PluginInfoStruct info{};
    Answer(Address(&info));
    EXPECT_EQ(plugin.GetInfo(), &info);
    for (const MixedValue failure : {MixedValue(0), FF_ALLBITS, MixedValue(FF_FAIL)}) {
        Answer(failure);
        EXPECT_EQ(plugin.GetInfo(), nullptr) << failure;
        EXPECT_EQ(plugin.GetExtendedInfo(), nullptr) << failure;
        EXPECT_EQ(plugin.ParameterName(0), nullptr) << failure;
        EXPECT_EQ(plugin.ParameterDisplay(1, 0), nullptr) << failure;
    }
    Answer(FF_ALLBITS);
    EXPECT_EQ(plugin.InstantiateGL(nullptr), FF_ALLBITS);
}

} // namespace
} // namespace frayline
