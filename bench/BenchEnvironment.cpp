#include "bench/BenchEnvironment.h"

#include <cstdlib>

#include <benchmark/benchmark.h>

#include "bench/AllocationCounter.h"

#include "platform/GL.h"

namespace frayline::bench {

namespace {

// FRAYLINE_PLUGIN overrides the plugin built alongside, to compare binaries.
const char* PluginPath()
{
    const char* path = std::getenv("FRAYLINE_PLUGIN");
    return path != nullptr && path[0] != '\0' ? path : FRAYLINE_PLUGIN_PATH;
}

std::vector<uint8_t> Noise(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> pixels(std::size_t(width) * height * 4);
    uint32_t state = 0x9E3779B9u;
    for (uint8_t& byte : pixels) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return pixels;
}

}  // namespace

Environment& Environment::Get()
{
    static Environment environment;
    return environment;
}

Environment::Environment() : context(), plugin(PluginPath())
{
    WatchModuleAt(reinterpret_cast<const void*>(plugin.Entry()));
    plugin.Initialise();
}

Environment::~Environment()
{
    context.MakeCurrent();
    plugin.Deinitialise();
}

uintptr_t Environment::Instantiate(uint32_t width, uint32_t height)
{
    FFGLViewportStruct viewport{0, 0, width, height};
    return plugin.InstantiateGL(&viewport);
}

Scene::Scene(uint32_t width, uint32_t height)
    : context((Environment::Get().context.MakeCurrent(), Environment::Get().context)),
      input(PixelFormat::RGBA8, width, height), target(PixelFormat::RGBA8, width, height),
      inputRecord(), inputs{&inputRecord}, frame{1, inputs, 0}
{
    input.Upload(Noise(width, height));
    inputRecord = input.Record();
    frame.HostFBO = target.Handle();
    target.Bind();
    glFinish();
}

}  // namespace frayline::bench

// The benchmarks' main: the renderer and the plugin go into the report's
// context, so a table says what it was measured on.
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    frayline::bench::Environment& environment = frayline::bench::Environment::Get();
    benchmark::AddCustomContext("renderer", environment.context.Renderer());
    benchmark::AddCustomContext("gl_version", environment.context.Version());
    benchmark::AddCustomContext("plugin", environment.plugin.Path());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
