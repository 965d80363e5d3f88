// Throughput of whole pipelines on the same 1080p source frames (ffmpeg's
// testsrc2, generated identically in each): the effect through
// frayline-render --raw between two ffmpeg processes, against ffmpeg with
// frei0r's distort0r in its filter graph. The same pipe with cat in place of
// frayline-render is the floor that moving the frames through pipes costs.
// One iteration is one pipeline run; the figure is wall time per frame.

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

namespace frayline::bench {
namespace {

constexpr const char* size = "1920x1080";

uint32_t FrameCount()
{
    const char* text = std::getenv("FRAYLINE_BENCH_STREAM_FRAMES");
    const long count = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return count > 0 ? static_cast<uint32_t>(count) : 120;
}

std::string Source()
{
    return "ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=" + std::string(size) +
           ":rate=30 -frames:v " + std::to_string(FrameCount());
}

std::string Sink()
{
    return "ffmpeg -nostdin -v error -f rawvideo -pix_fmt rgba -s " + std::string(size) +
           " -i - -f null -";
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string PluginPath()
{
    const char* path = std::getenv("FRAYLINE_PLUGIN");
    return path != nullptr && path[0] != '\0' ? path : FRAYLINE_PLUGIN_PATH;
}

// Runs a shell pipeline once per iteration; any stage failing fails it.
void RunPipeline(benchmark::State& state, const std::string& pipeline)
{
    const std::string command = "bash -c " + Quoted("set -o pipefail; " + pipeline);
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError(("the pipeline failed (scripts/deps.sh --bench installs ffmpeg "
                                 "and frei0r-plugins): " +
                                 pipeline)
                                    .c_str());
            return;
        }
        state.SetIterationTime(elapsed.count());
        seconds += elapsed.count();
    }
    const double frames =
        static_cast<double>(FrameCount()) * static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] = seconds * 1000.0 / frames;
    state.counters["frames"] = FrameCount();
}

void StreamFrayline(benchmark::State& state)
{
    if (std::string(FRAYLINE_RENDER_PATH).empty()) {
        state.SkipWithError("frayline-render was not built");
        return;
    }
    RunPipeline(state, Source() + " -f rawvideo -pix_fmt rgba - | " + Quoted(FRAYLINE_RENDER_PATH) +
                           " --raw " + size + " -q --plugin " + Quoted(PluginPath()) + " | " +
                           Sink());
}

void StreamFrei0r(benchmark::State& state)
{
    RunPipeline(state, Source() + " -vf format=rgba,frei0r=distort0r -f null -");
}

void StreamPipeOnly(benchmark::State& state)
{
    RunPipeline(state, Source() + " -f rawvideo -pix_fmt rgba - | cat | " + Sink());
}

BENCHMARK(StreamFrayline)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(StreamFrei0r)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(StreamPipeOnly)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace frayline::bench
