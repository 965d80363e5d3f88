// What one frame costs: the plugin's FF_PROCESSOPENGL against the same
// fragment program drawn bare, and against a passthrough textured quad, at
// three sizes. glFinish ends every iteration so the rasteriser's work counts.
// Wall time, not CPU time: llvmpipe draws on threads of its own.

#include <string>

#include <benchmark/benchmark.h>

#include "bench/AllocationCounter.h"
#include "bench/BenchEnvironment.h"
#include "effect/ShaderCode.h"
#include "platform/GL.h"

namespace frayline::bench {
namespace {

// Heap allocations per iteration over the timed loop: all of them (the
// driver's included), and those the plugin's own code made.
class AllocationMeter {
public:
    AllocationMeter() : start_(CountAllocations()) {}
    void Report(benchmark::State& state) const
    {
        const AllocationCounts end = CountAllocations();
        const auto iterations = static_cast<double>(state.iterations());
        state.counters["allocs"] = static_cast<double>(end.total - start_.total) / iterations;
        state.counters["plugin_allocs"] =
            static_cast<double>(end.watched - start_.watched) / iterations;
    }

private:
    AllocationCounts start_;
};

void Quad()
{
    glBegin(GL_QUADS);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glEnd();
}

GLuint CompileShader(GLenum kind, const std::string& source)
{
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return shader;
}

// The effect's program, linked by the host, with the uniforms set once to
// the plugin's defaults as the plugin's own first frame would set them.
class BareProgram {
public:
    BareProgram()
    {
        vertex_ = CompileShader(GL_VERTEX_SHADER, vertexShaderCode);
        fragment_ = CompileShader(GL_FRAGMENT_SHADER, fragmentShaderCode);
        program_ = glCreateProgram();
        glAttachShader(program_, vertex_);
        glAttachShader(program_, fragment_);
        glLinkProgram(program_);
        glGetProgramiv(program_, GL_LINK_STATUS, &linked_);
        if (!linked_)
            return;

        const PluginLibrary& plugin = Environment::Get().plugin;
        float value[11];
        for (uint32_t i = 0; i < 11; ++i)
            value[i] = BitsFloat(static_cast<uint32_t>(plugin.ParameterDefault(i)));
        glUseProgram(program_);
        glUniform1i(Location("inputTexture"), 0);
        glUniform2f(Location("distortion"), value[0], value[1]);
        glUniform2f(Location("strength"), value[2], value[3]);
        glUniform1f(Location("frequence"), value[4]);
        glUniform1f(Location("nStr"), value[5]);
        glUniform2f(Location("time"), 0.0f, 0.0f);
        glUniform1i(Location("mode"), static_cast<GLint>(value[8]));
        glUniform1i(Location("swap"), static_cast<GLint>(value[9]));
        glUniform1i(Location("processCol"), static_cast<GLint>(value[10]));
    }
    ~BareProgram()
    {
        glUseProgram(0);
        glDeleteProgram(program_);
        glDeleteShader(vertex_);
        glDeleteShader(fragment_);
    }
    BareProgram(const BareProgram&) = delete;
    BareProgram& operator=(const BareProgram&) = delete;

    bool Linked() const { return linked_ != 0; }

private:
    GLint Location(const char* name) { return glGetUniformLocation(program_, name); }

    GLuint vertex_ = 0;
    GLuint fragment_ = 0;
    GLuint program_ = 0;
    GLint linked_ = 0;
};

uint32_t Width(const benchmark::State& state)
{
    return static_cast<uint32_t>(state.range(0));
}

uint32_t Height(const benchmark::State& state)
{
    return static_cast<uint32_t>(state.range(1));
}

void SetPixelRate(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

// The host's frame: one FF_PROCESSOPENGL call, then glFinish.
void FramePlugin(benchmark::State& state)
{
    Environment& environment = Environment::Get();
    Scene scene(Width(state), Height(state));
    const uintptr_t instance = environment.Instantiate(Width(state), Height(state));
    if (instance == FF_ALLBITS) {
        state.SkipWithError("FF_INSTANTIATEGL failed");
        return;
    }
    const PlugMainFunction plugMain = environment.plugin.Entry();
    const MixedValue frame = reinterpret_cast<MixedValue>(&scene.frame);
    // The first frame activates the instance and lets the driver build its
    // code for this state: not steady state.
    plugMain(FF_PROCESSOPENGL, frame, instance);
    glFinish();

    AllocationMeter allocations;
    for (auto _ : state) {
        plugMain(FF_PROCESSOPENGL, frame, instance);
        glFinish();
    }
    allocations.Report(state);
    SetPixelRate(state);
    environment.plugin.DeinstantiateGL(instance);
}

// The same program and quad with nothing of the plugin's around it.
void FrameBare(benchmark::State& state)
{
    Scene scene(Width(state), Height(state));
    BareProgram program;
    if (!program.Linked()) {
        state.SkipWithError("the effect's program did not link");
        return;
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.input.Handle());
    Quad();
    glFinish();

    AllocationMeter allocations;
    for (auto _ : state) {
        Quad();
        glFinish();
    }
    allocations.Report(state);
    SetPixelRate(state);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// The floor for any one-input effect: the input copied through.
void FramePassthrough(benchmark::State& state)
{
    Scene scene(Width(state), Height(state));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.input.Handle());
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    Quad();
    glFinish();

    AllocationMeter allocations;
    for (auto _ : state) {
        Quad();
        glFinish();
    }
    allocations.Report(state);
    SetPixelRate(state);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Args({1280, 720})->Args({1920, 1080})->Args({3840, 2160});
    benchmark->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(FramePlugin)->Apply(Sizes);
BENCHMARK(FrameBare)->Apply(Sizes);
BENCHMARK(FramePassthrough)->Apply(Sizes);

// The CPU side of the frame path: plugMain's FF_PROCESSOPENGL into a 1x1
// target, without waiting for the rasteriser.
void FramePathCpu(benchmark::State& state)
{
    Environment& environment = Environment::Get();
    Scene scene(1, 1);
    const uintptr_t instance = environment.Instantiate(1, 1);
    if (instance == FF_ALLBITS) {
        state.SkipWithError("FF_INSTANTIATEGL failed");
        return;
    }
    const PlugMainFunction plugMain = environment.plugin.Entry();
    const MixedValue frame = reinterpret_cast<MixedValue>(&scene.frame);
    plugMain(FF_PROCESSOPENGL, frame, instance);
    glFinish();

    AllocationMeter allocations;
    for (auto _ : state)
        benchmark::DoNotOptimize(plugMain(FF_PROCESSOPENGL, frame, instance));
    allocations.Report(state);
    glFinish();
    environment.plugin.DeinstantiateGL(instance);
}

BENCHMARK(FramePathCpu)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace frayline::bench
