#pragma once

#include <cstdint>
#include <vector>

#include "host/GLContext.h"
#include "host/PluginLibrary.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"

namespace frayline::bench {

// What every benchmark shares: one headless context and the built plugin,
// loaded as a host loads it. Made on first use, torn down at exit with the
// prototype released before the library unloads.
class Environment {
public:
    static Environment& Get();

    GLContext context;
    PluginLibrary plugin;

    // A new instance bound to the context, or FF_ALLBITS.
    uintptr_t Instantiate(uint32_t width, uint32_t height);

private:
    Environment();
    ~Environment();
};

// An input texture filled with noise and a render target of the same size,
// bound and ready to draw into.
struct Scene {
    Scene(uint32_t width, uint32_t height);

    GLContext& context;  // first: the GL objects below need it current
    Texture input;
    RenderTarget target;
    FFGLTextureStruct inputRecord;
    FFGLTextureStruct* inputs[1];
    ProcessOpenGLStruct frame;
};

}  // namespace frayline::bench
