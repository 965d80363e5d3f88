// One small picture through the built plugin, compared with the CPU model of
// the shader: cheap enough for every build, the emulated ones included.

#include <gtest/gtest.h>

#include "host/GLContext.h"
#include "host/PluginLibrary.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "support/PixelFixture.h"
#include "support/ShaderModel.h"

namespace {

namespace model = frayline::model;
namespace pixels = frayline::pixels;

// Default parameters but a displaced second axis in offset mode, so both
// axes and both of the shader's modes are drawn. The speeds stay at 0.5:
// the real clock then leaves the drift phases at exactly 0.
TEST(PortableRender, SmallFrameMatchesTheModel)
{
    frayline::GLContext context;
    frayline::PluginLibrary plugin(FRAYLINE_PLUGIN_PATH);
    {
        const frayline::Texture input = pixels::CoordinateTexture(32, 32);
        FFGLViewportStruct viewport{0, 0, 32, 32};
        const MixedValue instance = plugin.InstantiateGL(&viewport);
        ASSERT_NE(instance, FF_ALLBITS);

        model::Uniforms expected;
        const pixels::Frame still =
            pixels::RenderThrough(plugin.Entry(), instance, input.Record(), 32, 32);
        EXPECT_TRUE(pixels::MatchesModel(still, input, pixels::Quad(), expected));

        EXPECT_EQ(plugin.SetParameter(instance, 1, 0.5f), FF_SUCCESS);    // Y Distortion
        EXPECT_EQ(plugin.SetParameter(instance, 8, 1.0f), FF_SUCCESS);    // Random Mode
        EXPECT_EQ(plugin.SetParameter(instance, 3, 0.875f), FF_SUCCESS);  // Strength Y
        expected.distortion[1] = 0.5;
        expected.mode = 1;
        expected.strength[1] = 0.875;
        MixedValue answer = FF_FAIL;
        const pixels::Frame frame =
            pixels::RenderThrough(plugin.Entry(), instance, input.Record(), 32, 32, &answer);
        EXPECT_EQ(answer, FF_SUCCESS);
        EXPECT_TRUE(pixels::MatchesModel(frame, input, pixels::Quad(), expected));

        EXPECT_EQ(plugin.DeinstantiateGL(instance), FF_SUCCESS);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    plugin.Deinitialise();
}

}  // namespace
