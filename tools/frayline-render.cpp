// frayline-render: the effect on a picture, a sequence, a stream or a sweep
// of one parameter, drawn headless through the plugin binary as a host would.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include "host/GLContext.h"
#include "host/HostError.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "tools/Channel.h"
#include "tools/CommandLine.h"
#include "tools/ContactSheet.h"
#include "tools/Effect.h"
#include "tools/EffectInstance.h"
#include "tools/Image.h"
#include "tools/Progress.h"
#include "tools/RawPipe.h"
#include "tools/TestCard.h"

namespace frayline {
namespace {

using Setting = std::pair<uint32_t, float>;

// The plugin built beside this program, as the build leaves them.
std::string DefaultPluginPath()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return FRAYLINE_PLUGIN_FILE;
    std::string path(self, std::size_t(length));
    return path.substr(0, path.rfind('/') + 1) + FRAYLINE_PLUGIN_FILE;
}

// A picture uploaded upright: its top row at the texture's top (t = 1).
Texture Upload(const Image& picture)
{
    Texture texture(PixelFormat::RGBA8, picture.width, picture.height);
    texture.Upload(FlipRows(picture.rgba, picture.width, picture.height));
    return texture;
}

Image ReadBack(const RenderTarget& target)
{
    Image picture;
    picture.width = target.Width();
    picture.height = target.Height();
    picture.rgba = FlipRows(target.ReadRGBA8(), picture.width, picture.height);
    return picture;
}

RenderTarget NewTarget(uint32_t width, uint32_t height)
{
    RenderTarget target(PixelFormat::RGBA8, width, height);
    target.Bind();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return target;
}

void CheckSize(uint32_t width, uint32_t height, const std::string& what)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > uint32_t(largest) || height > uint32_t(largest))
        throw HostError(what + " is " + std::to_string(width) + "x" + std::to_string(height) +
                        ", larger than this OpenGL's largest texture (" + std::to_string(largest) +
                        ")");
}

void Apply(EffectInstance& instance, const std::vector<Setting>& settings)
{
    for (const Setting& setting : settings)
        instance.Set(setting.first, setting.second);
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

bool ShowProgress(const Options& options)
{
    return !options.quiet && isatty(STDERR_FILENO);
}

void RenderStill(const Effect& effect, const Options& options, const std::vector<Setting>& settings,
                 const Image& input)
{
    EffectInstance instance(effect, input.width, input.height);
    Apply(instance, settings);
    const Texture texture = Upload(input);
    RenderTarget target = NewTarget(input.width, input.height);
    instance.WaitUntil(options.at);
    instance.Draw(texture, target);
    WritePng(options.output, ReadBack(target));
}

// Frame k is drawn at --at + k / fps after set-up; PNGs are encoded on a
// thread of their own so that the encoding does not hold back the next
// frame.
void RenderFrames(const Effect& effect, const Options& options,
                  const std::vector<Setting>& settings, const Image& input)
{
    EffectInstance instance(effect, input.width, input.height);
    Apply(instance, settings);
    const Texture texture = Upload(input);
    RenderTarget target = NewTarget(input.width, input.height);

    Channel<std::pair<uint32_t, Image>> encode(16);
    std::string problem;
    std::thread encoder([&] {
        while (std::optional<std::pair<uint32_t, Image>> frame = encode.Pop()) {
            try {
                WritePng(FramePath(options.output, frame->first), frame->second);
            } catch (const std::exception& error) {
                problem = error.what();
                encode.Close();
            }
        }
    });

    Progress progress(ShowProgress(options), options.frames);
    uint32_t late = 0;
    double worst = 0.0;
    for (uint32_t k = 0; k < options.frames; ++k) {
        const double due = options.at + k / options.fps;
        instance.WaitUntil(due);
        const double lateness =
            std::chrono::duration<double>(EffectInstance::Clock::now() - instance.SetUpTime())
                .count() -
            due;
        if (lateness > 0.5 / options.fps) {
            ++late;
            worst = std::max(worst, lateness);
        }
        instance.Draw(texture, target);
        if (!encode.Push({k, ReadBack(target)}))
            break;
        progress.Update(k + 1);
    }
    encode.Close();
    encoder.join();
    progress.Finish();
    if (!problem.empty())
        throw HostError(problem);
    if (late && !options.quiet)
        std::fprintf(stderr,
                     "frayline-render: %u of %u frames drawn late (up to %.0f ms): each shows the "
                     "time it was drawn\n",
                     late, options.frames, worst * 1000.0);
}

// One fresh instance per value, so that every tile is drawn at the same
// time after its own set-up.
void RenderSweep(const Effect& effect, const Options& options, const std::vector<Setting>& settings,
                 const Image& input)
{
    const uint32_t index = effect.Resolve(options.sweep.key);
    const Texture texture = Upload(input);
    RenderTarget target = NewTarget(input.width, input.height);
    std::vector<ContactSheet::Tile> tiles;
    for (float value : options.sweep.Values()) {
        EffectInstance instance(effect, input.width, input.height);
        Apply(instance, settings);
        instance.Set(index, value);
        instance.WaitUntil(options.at);
        instance.Draw(texture, target);
        tiles.push_back({ReadBack(target), effect.DisplayName(index) + " = " + Number(value)});
    }
    WritePng(options.output, ContactSheet::Compose(tiles));
}

void RenderRaw(const Effect& effect, const Options& options, const std::vector<Setting>& settings)
{
    if (isatty(STDIN_FILENO))
        throw UsageError(
            "--raw reads frames from standard input, which is a terminal: pipe them in");
    if (isatty(STDOUT_FILENO))
        throw UsageError(
            "--raw writes frames to standard output, which is a terminal: pipe them on");
    EffectInstance instance(effect, options.rawWidth, options.rawHeight);
    Apply(instance, settings);

    Progress progress(ShowProgress(options), 0);
    RawPipe::Hooks hooks;
    hooks.beforeDraw = [&](uint64_t frame) {
        if (options.fpsGiven)
            instance.WaitUntil(options.at + frame / options.fps);
        else if (frame == 0)
            instance.WaitUntil(options.at);
    };
    hooks.afterDraw = [&](uint64_t frames) { progress.Update(frames); };
    RawPipe::Run(instance, STDIN_FILENO, STDOUT_FILENO, options.rawWidth, options.rawHeight, hooks);
}

void List(const Effect& effect, const std::vector<Setting>& settings)
{
    // Display texts belong to an instance, and an instance to a context.
    EffectInstance instance(effect, 16, 16);
    Apply(instance, settings);
    std::printf("%s\n", effect.Title().c_str());
    std::printf("%5s  %-18s %-9s %-9s %s\n", "index", "name", "type", "default", "display");
    for (const Effect::Parameter& parameter : effect.Parameters()) {
        const std::string name = "\"" + parameter.name + "\"";
        std::printf("%5u  %-18s %-9s %-9s %s\n", parameter.index, name.c_str(),
                    Effect::TypeName(parameter.type), Number(parameter.defaultValue).c_str(),
                    instance.DisplayText(parameter.index).c_str());
    }
}

int Run(const Options& options)
{
    // Everything that can be checked without GL is checked first.
    const Effect effect(options.plugin.empty() ? DefaultPluginPath() : options.plugin);
    std::vector<Setting> settings;
    for (const Options::Setting& setting : options.settings)
        settings.emplace_back(effect.Resolve(setting.key), setting.value);
    if (options.mode == Options::Mode::Sweep)
        effect.Resolve(options.sweep.key);
    Image input;
    if (options.mode == Options::Mode::Still || options.mode == Options::Mode::Frames ||
        options.mode == Options::Mode::Sweep)
        input = options.input.empty() ? TestCard::Make() : ReadPng(options.input);

    GLContext context;
    switch (options.mode) {
    case Options::Mode::Still:
        CheckSize(input.width, input.height, "the input");
        RenderStill(effect, options, settings, input);
        break;
    case Options::Mode::Frames:
        CheckSize(input.width, input.height, "the input");
        RenderFrames(effect, options, settings, input);
        break;
    case Options::Mode::Sweep:
        CheckSize(input.width, input.height, "the input");
        RenderSweep(effect, options, settings, input);
        break;
    case Options::Mode::Raw:
        CheckSize(options.rawWidth, options.rawHeight, "the --raw size");
        RenderRaw(effect, options, settings);
        break;
    case Options::Mode::List:
        List(effect, settings);
        break;
    case Options::Mode::Help:
        break;
    }
    return 0;
}

// One line on standard error, whatever the message holds.
void Report(const char* message)
{
    std::string line = message;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "frayline-render: %s\n", line.c_str());
}

}  // namespace
}  // namespace frayline

int main(int argc, char** argv)
{
    using namespace frayline;
    // A closed output pipe is an answer from write(), not a signal that
    // ends the program half-way through a frame.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        const Options options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (options.mode == Options::Mode::Help) {
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        }
        return Run(options);
    } catch (const UsageError& error) {
        Report(error.what());
        return 2;
    } catch (const std::bad_alloc&) {
        Report("out of memory");
        return 1;
    } catch (const std::exception& error) {
        Report(error.what());
        return 1;
    }
}
