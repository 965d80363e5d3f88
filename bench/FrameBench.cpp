// What one frame costs at three sizes: the plugin's FF_PROCESSOPENGL, the
// same fragment program drawn bare by the host (uniforms set once, one
// quad), and a passthrough textured quad, the floor for any one-input
// effect. glFinish ends every frame so the rasteriser's work counts, and
// time is wall time: llvmpipe draws on threads of its own.
//
// The three are drawn in turn within every iteration and each frame is
// timed on its own, so the ratios compare frames drawn moments apart: what
// else loads the machine weighs on all three alike. The benchmark's time is
// the plugin's frame; the counters hold the medians of all three and the
// median of the per-iteration ratios.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/AllocationCounter.h"
#include "bench/BenchEnvironment.h"
#include "effect/ShaderCode.h"
#include "platform/GL.h"

namespace frayline::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

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
// the plugin's defaults as the plugin's own frames set them.
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
        // The plugin's drift phases stay at zero at the default speeds.
        glUniform2f(Location("time"), 0.0f, 0.0f);
        glUniform1i(Location("mode"), static_cast<GLint>(value[8]));
        glUniform1i(Location("swap"), static_cast<GLint>(value[9]));
        glUniform1i(Location("processCol"), static_cast<GLint>(value[10]));
        glUseProgram(0);
    }
    ~BareProgram()
    {
        glDeleteProgram(program_);
        glDeleteShader(vertex_);
        glDeleteShader(fragment_);
    }
    BareProgram(const BareProgram&) = delete;
    BareProgram& operator=(const BareProgram&) = delete;

    bool Linked() const { return linked_ != 0; }
    GLuint Name() const { return program_; }

private:
    GLint Location(const char* name) { return glGetUniformLocation(program_, name); }

    GLuint vertex_ = 0;
    GLuint fragment_ = 0;
    GLuint program_ = 0;
    GLint linked_ = 0;
};

// The three frames, each leaving GL as it found it.
class FrameKinds {
public:
    FrameKinds(Scene& scene, uintptr_t instance)
        : scene_(scene), instance_(instance), plugMain_(Environment::Get().plugin.Entry())
    {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }

    void Plugin()
    {
        plugMain_(FF_PROCESSOPENGL, reinterpret_cast<MixedValue>(&scene_.frame), instance_);
        glFinish();
    }

    void Bare(const BareProgram& program)
    {
        glUseProgram(program.Name());
        glBindTexture(GL_TEXTURE_2D, scene_.input.Handle());
        Quad();
        glFinish();
        glBindTexture(GL_TEXTURE_2D, 0);
        glUseProgram(0);
    }

    void Passthrough()
    {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, scene_.input.Handle());
        Quad();
        glFinish();
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }

private:
    Scene& scene_;
    uintptr_t instance_;
    PlugMainFunction plugMain_;
};

void Frame(benchmark::State& state)
{
    const auto width = static_cast<uint32_t>(state.range(0));
    const auto height = static_cast<uint32_t>(state.range(1));
    Environment& environment = Environment::Get();
    Scene scene(width, height);
    BareProgram program;
    const uintptr_t instance = environment.Instantiate(width, height);
    if (instance == FF_ALLBITS || !program.Linked()) {
        state.SkipWithError("FF_INSTANTIATEGL failed or the effect's program did not link");
        return;
    }
    FrameKinds frames(scene, instance);
    // The first frame of each activates the instance and lets the driver
    // build its code for the state: not steady state.
    frames.Plugin();
    frames.Bare(program);
    frames.Passthrough();

    // Sized before timing, so the loop allocates nothing of its own.
    constexpr std::size_t maxSamples = 1 << 16;
    std::vector<double> plugin, bare, passthrough, pluginVsBare, pluginVsPassthrough;
    for (auto* samples : {&plugin, &bare, &passthrough, &pluginVsBare, &pluginVsPassthrough})
        samples->reserve(maxSamples);
    uint64_t pluginAllocations = 0, pluginOwnAllocations = 0, bareAllocations = 0;

    for (auto _ : state) {
        const AllocationCounts a = CountAllocations();
        const Clock::time_point t0 = Clock::now();
        frames.Plugin();
        const Clock::time_point t1 = Clock::now();
        const AllocationCounts b = CountAllocations();
        frames.Bare(program);
        const Clock::time_point t2 = Clock::now();
        const AllocationCounts c = CountAllocations();
        frames.Passthrough();
        const Clock::time_point t3 = Clock::now();

        pluginAllocations += b.total - a.total;
        pluginOwnAllocations += b.watched - a.watched;
        bareAllocations += c.total - b.total;
        const double p = Milliseconds(t0, t1), q = Milliseconds(t1, t2), r = Milliseconds(t2, t3);
        state.SetIterationTime(p / 1000.0);
        if (plugin.size() < maxSamples) {
            plugin.push_back(p);
            bare.push_back(q);
            passthrough.push_back(r);
            pluginVsBare.push_back(p / q);
            pluginVsPassthrough.push_back(p / r);
        }
    }

    const auto iterations = static_cast<double>(state.iterations());
    state.counters["plugin_ms"] = Median(plugin);
    state.counters["bare_ms"] = Median(bare);
    state.counters["passthrough_ms"] = Median(passthrough);
    state.counters["plugin_vs_bare"] = Median(pluginVsBare);
    state.counters["plugin_vs_passthrough"] = Median(pluginVsPassthrough);
    // Every heap allocation during the plugin's frame, the driver's included;
    // those the plugin's own code made; and the bare frame's, for comparison.
    state.counters["allocs_plugin_frame"] = static_cast<double>(pluginAllocations) / iterations;
    state.counters["allocs_by_plugin"] = static_cast<double>(pluginOwnAllocations) / iterations;
    state.counters["allocs_bare_frame"] = static_cast<double>(bareAllocations) / iterations;
    environment.plugin.DeinstantiateGL(instance);
}

BENCHMARK(Frame)
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->ArgNames({"w", "h"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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

    const AllocationCounts start = CountAllocations();
    for (auto _ : state)
        benchmark::DoNotOptimize(plugMain(FF_PROCESSOPENGL, frame, instance));
    const AllocationCounts end = CountAllocations();
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["allocs_plugin_frame"] =
        static_cast<double>(end.total - start.total) / iterations;
    state.counters["allocs_by_plugin"] =
        static_cast<double>(end.watched - start.watched) / iterations;
    glFinish();
    environment.plugin.DeinstantiateGL(instance);
}

BENCHMARK(FramePathCpu)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace frayline::bench
