// The built plugin through many lifetimes, as a long host session drives it:
// a thousand instances made, drawn and deinstantiated, sixteen alive at a
// time in an interleaved order, with the prototype deinitialised and
// rebuilt along the way. Afterwards no GL object of the plugin's is left and,
// under LeakSanitizer, no heap block either.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "host/GLContext.h"
#include "host/PluginLibrary.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"

namespace {

using frayline::GLContext;
using frayline::PixelFormat;
using frayline::PluginLibrary;
using frayline::RenderTarget;
using frayline::Texture;

constexpr int cycles = 1000;
constexpr size_t liveInstances = 16;
constexpr int deinitialiseEvery = 50;
constexpr uint32_t size = 16;

// Program and shader names share one namespace in the driver; texture
// names have their own.
std::vector<GLuint> LiveProgramsAndShaders(GLuint below)
{
    std::vector<GLuint> found;
    for (GLuint name = 1; name < below; ++name)
        if (glIsProgram(name) || glIsShader(name))
            found.push_back(name);
    return found;
}

TEST(LifecycleStress, InterleavedInstancesLeaveNothingBehind)
{
    GLContext context;
    // Names are handed out from here on; each instance takes three.
    const GLuint firstName = glCreateProgram();
    glDeleteProgram(firstName);

    {
        PluginLibrary plugin(FRAYLINE_PLUGIN_PATH);
        Texture input(PixelFormat::RGBA8, size, size);
        input.Upload(std::vector<uint8_t>(size * size * 4, 0x80));
        RenderTarget target(PixelFormat::RGBA8, size, size);
        target.Bind();
        FFGLTextureStruct record = input.Record();
        FFGLTextureStruct* inputs[] = {&record};
        ProcessOpenGLStruct frame{1, inputs, target.Handle()};
        FFGLViewportStruct viewport{0, 0, size, size};

        std::array<uintptr_t, liveInstances> live{};
        ASSERT_EQ(plugin.Initialise(), FF_SUCCESS);
        for (int cycle = 0; cycle < cycles; ++cycle) {
            // Slots in a stride that visits all sixteen in a mixed order, so
            // instances die in another order than they were made.
            const size_t slot = static_cast<size_t>(cycle) * 7 % liveInstances;
            if (live[slot] != 0) {
                ASSERT_EQ(plugin.DeinstantiateGL(live[slot]), FF_SUCCESS) << "cycle " << cycle;
                live[slot] = 0;
            }
            const MixedValue instance = plugin.InstantiateGL(&viewport);
            ASSERT_NE(instance, FF_ALLBITS) << "cycle " << cycle;
            live[slot] = instance;
            ASSERT_EQ(plugin.SetParameter(instance, cycle % 11, 0.75f), FF_SUCCESS);
            ASSERT_EQ(plugin.ProcessOpenGL(instance, &frame), FF_SUCCESS) << "cycle " << cycle;
            // An older neighbour draws too, after the newcomer's set-up.
            const uintptr_t neighbour = live[(slot + 1) % liveInstances];
            if (neighbour != 0) {
                ASSERT_EQ(plugin.ProcessOpenGL(neighbour, &frame), FF_SUCCESS);
            }
            if (cycle % deinitialiseEvery == deinitialiseEvery - 1) {
                // Instances outlive the prototype; the next query rebuilds it.
                ASSERT_EQ(plugin.Deinitialise(), FF_SUCCESS);
                ASSERT_EQ(plugin.NumParameters(), 11u);
            }
            ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "cycle " << cycle;
        }
        for (uintptr_t& instance : live) {
            ASSERT_EQ(plugin.DeinstantiateGL(instance), FF_SUCCESS);
            instance = 0;
        }
        ASSERT_EQ(plugin.Deinitialise(), FF_SUCCESS);
        glFinish();
    }

    const GLuint namesUsed = firstName + 3 * cycles + 16;
    EXPECT_EQ(LiveProgramsAndShaders(namesUsed), std::vector<GLuint>{})
        << "programs or shaders left among the first " << namesUsed << " names";

#if defined(__SANITIZE_ADDRESS__)
    // The library is unloaded by now: whatever it still held is lost.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "LeakSanitizer found leaks (see above)";
#endif
}

}  // namespace
