// Throughput of whole pipelines on the same 1080p source frames (ffmpeg's
// testsrc2, generated identically in each): the effect through
// frayline-render --raw between two ffmpeg processes, against ffmpeg with
// frei0r's distort0r in its filter graph. The same pipe with cat in place of
// frayline-render is the floor that moving the frames through pipes costs.
// Wall time per frame of whole pipeline runs.

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

// Runs a shell pipeline to its end; false when any stage failed.
bool Run(const std::string& pipeline, double& milliseconds)
{
    const std::string command = "bash -c " + Quoted("set -o pipefail; " + pipeline);
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The three pipelines in turn within every iteration, so their ratio
// compares runs made moments apart. The benchmark's time is the frayline
// pipeline's; the counters are per frame.
void Stream(benchmark::State& state)
{
    if (std::string(FRAYLINE_RENDER_PATH).empty()) {
        state.SkipWithError("frayline-render was not built");
        return;
    }
    const std::string pipelines[] = {
        Source() + " -f rawvideo -pix_fmt rgba - | " + Quoted(FRAYLINE_RENDER_PATH) + " --raw " +
            size + " -q --plugin " + Quoted(PluginPath()) + " | " + Sink(),
        Source() + " -vf format=rgba,frei0r=distort0r -f null -",
        Source() + " -f rawvideo -pix_fmt rgba - | cat | " + Sink(),
    };
    double total[3] = {0.0, 0.0, 0.0};
    for (auto _ : state) {
        double milliseconds[3];
        for (int i = 0; i < 3; ++i) {
            if (!Run(pipelines[i], milliseconds[i])) {
                state.SkipWithError(("the pipeline failed (scripts/deps.sh --bench installs "
                                     "ffmpeg and frei0r-plugins): " +
                                     pipelines[i])
                                        .c_str());
                return;
            }
            total[i] += milliseconds[i];
        }
        state.SetIterationTime(milliseconds[0] / 1000.0);
    }
    const double frames =
        static_cast<double>(FrameCount()) * static_cast<double>(state.iterations());
    state.counters["frayline_ms_per_frame"] = total[0] / frames;
    state.counters["frei0r_ms_per_frame"] = total[1] / frames;
    state.counters["pipe_only_ms_per_frame"] = total[2] / frames;
    state.counters["frayline_vs_frei0r"] = total[0] / total[1];
    state.counters["frames"] = FrameCount();
}

BENCHMARK(Stream)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace frayline::bench
