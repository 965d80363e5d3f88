// The built frayline-render, run as a user runs it: its errors, a render
// checked pixel by pixel against the CPU model of the shader, the raw pipe,
// sequences, sweeps and --list.

#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/GLContext.h"
#include "host/Texture.h"
#include "support/PixelFixture.h"
#include "tools/BitmapFont.h"
#include "tools/Image.h"

extern char** environ;

namespace frayline {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

struct Invocation {
    Invocation(std::vector<std::string> arguments, std::string input = "",
               std::map<std::string, std::string> env = {})
        : arguments(std::move(arguments)), input(std::move(input)), env(std::move(env))
    {
    }

    std::vector<std::string> arguments;
    std::string input;                       // standard input, then closed
    std::map<std::string, std::string> env;  // added to the environment
    std::size_t keep = std::string::npos;    // close standard output after this much
};

// The tool started with pipes on its three standard streams (in, out and
// err are our ends). A child not waited for by the end of a test is killed,
// so that a failed test leaves nothing running.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& env = {})
    {
        int pipes[3][2];
        for (auto& p : pipes)
            if (pipe2(p, O_CLOEXEC) != 0)
                throw std::runtime_error("pipe");
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e)
            environment.push_back(*e);
        for (const auto& [name, value] : env)
            environment.push_back(name + "=" + value);
        std::vector<char*> argv{const_cast<char*>(FRAYLINE_RENDER_PATH)}, envp;
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (std::string& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        pid_ = fork();
        if (pid_ == 0) {
            // As a shell starts it: the test ignores SIGPIPE, the tool must
            // not inherit that.
            std::signal(SIGPIPE, SIG_DFL);
            dup2(pipes[0][0], 0);
            dup2(pipes[1][1], 1);
            dup2(pipes[2][1], 2);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(pipes[0][0]);
        close(pipes[1][1]);
        close(pipes[2][1]);
        in = pipes[0][1];
        out = pipes[1][0];
        err = pipes[2][0];
    }

    ~Child()
    {
        Close(in);
        Close(out);
        Close(err);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }

    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    static void Close(int& fd)
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }

    // The exit status, or 128 + the signal that ended it.
    int Wait()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int in = -1;
    int out = -1;
    int err = -1;

private:
    pid_t pid_ = -1;
};

// Runs the tool to its end: the input fed in, both outputs collected.
Outcome RunTool(const Invocation& run)
{
    Child child(run.arguments, run.env);

    // Standard input on a thread of its own, so that a full pipe one way
    // cannot block the other. A child that stops reading makes it fail
    // with EPIPE (the signal is ignored), which ends it.
    std::thread feeder([&] {
        std::size_t done = 0;
        while (done < run.input.size()) {
            const ssize_t n = write(child.in, run.input.data() + done, run.input.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += std::size_t(n);
        }
        Child::Close(child.in);
    });

    Outcome outcome;
    pollfd streams[2] = {{child.out, POLLIN, 0}, {child.err, POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0) {
        if (poll(streams, 2, -1) < 0 && errno == EINTR)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || !streams[i].revents)
                continue;
            char buffer[65536];
            const ssize_t n = read(streams[i].fd, buffer, sizeof buffer);
            if (n > 0)
                sinks[i]->append(buffer, std::size_t(n));
            if (n <= 0 || (i == 0 && outcome.out.size() >= run.keep)) {
                Child::Close(i == 0 ? child.out : child.err);
                streams[i].fd = -1;
                --open;
            }
        }
    }
    feeder.join();
    outcome.status = child.Wait();
    return outcome;
}

// Every test works in a directory of its own.
class Tool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { std::signal(SIGPIPE, SIG_IGN); }

    void SetUp() override
    {
        // A fresh directory per run: builds of other configurations may run
        // the same test at the same time.
        std::string pattern = (fs::temp_directory_path() / ("frayline-render-XXXXXX")).string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "mkdtemp " << pattern;
        directory = pattern;
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(directory);
    }

    std::string Path(const std::string& name) const { return (directory / name).string(); }

    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path directory;
};

// A picture whose every pixel names itself: red its column, green its row
// counted from the bottom (GL's row), so a rendered pixel says which texel
// the shader fetched. Up to 256 by 256.
Image CoordinatePicture(uint32_t width, uint32_t height)
{
    Image picture(width, height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = picture.Pixel(x, y);
            p[0] = uint8_t(x);
            p[1] = uint8_t(height - 1 - y);
            p[2] = 0;
            p[3] = 255;
        }
    return picture;
}

// A rendered coordinate picture as the pixel fixture reads a float frame:
// row 0 at the bottom, red and green the centre of the fetched texel.
pixels::Frame AsFetchedCoordinates(const Image& rendered)
{
    pixels::Frame frame;
    frame.width = rendered.width;
    frame.height = rendered.height;
    for (uint32_t row = 0; row < rendered.height; ++row) {
        const uint32_t y = rendered.height - 1 - row;
        for (uint32_t x = 0; x < rendered.width; ++x) {
            const uint8_t* p = rendered.Pixel(x, y);
            frame.rgba.push_back((p[0] + 0.5f) / rendered.width);
            frame.rgba.push_back((p[1] + 0.5f) / rendered.height);
            frame.rgba.push_back(0.0f);
            frame.rgba.push_back(p[3] / 255.0f);
        }
    }
    return frame;
}

// ---- Errors ----

TEST_F(Tool, EachErrorIsOneLineWithNoOutputFile)
{
    {
        std::ofstream text(Path("text.png"));
        text << "not a picture\n";
    }
    const Image picture(4, 4);
    WritePng(Path("good.png"), picture);
    fs::copy_file(Path("good.png"), Path("cut.png"));
    fs::resize_file(Path("cut.png"), fs::file_size(Path("good.png")) - 16);
    const std::string out = Path("out.png");

    struct Case {
        Invocation run;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{{Path("missing.png"), "-o", out}},
         1,
         "cannot read " + Path("missing.png") + ": No such file or directory"},
        {{{directory.string(), "-o", out}},
         1,
         "cannot read " + directory.string() + ": Is a directory"},
        {{{Path("text.png"), "-o", out}},
         1,
         "cannot read " + Path("text.png") + ": not a PNG file"},
        {{{Path("cut.png"), "-o", out}}, 1, "cannot read " + Path("cut.png") + ": corrupt PNG: "},
        {{{"--set", "Frequency=1", "-o", out}},
         2,
         "unknown parameter 'Frequency'; the parameters are: X Distortion, Y Distortion, Strength "
         "X, "
         "Strength Y, Frequence, Random Strength, X Speed, Y Speed, Random Mode, Swap X and Y, "
         "Color "
         "Influence (or an index, 0 to 10)"},
        {{{"--sweep", "Nope=0:1:3", "-o", out}},
         2,
         "unknown parameter 'Nope'; the parameters are: "},
        {{{"--set", "X Speed=fast", "-o", out}}, 2, "--set X Speed: 'fast' is not a number"},
        {{{"--raw", "1920by1080"}}, 2, "bad --raw size '1920by1080': expected WIDTHxHEIGHT"},
        {{{"--raw", "20000x10"}}, 2, "bad --raw width: 20000 is out of range (1 to 16384)"},
        {{{"--plugin", Path("missing.so"), "-o", out}},
         1,
         "plugin not found: " + Path("missing.so") + ": "},
        {{{"--plugin", Path("text.png"), "-o", out}},
         1,
         "plugin not found: " + Path("text.png") + ": "},
        {{{"--plugin", FRAYLINE_NO_PLUGMAIN_PATH, "-o", out}},
         1,
         std::string("no plugMain in ") + FRAYLINE_NO_PLUGMAIN_PATH},
        {{{"-o", out}, "", {{"__EGL_VENDOR_LIBRARY_FILENAMES", Path("no-vendor.json")}}},
         1,
         "no EGL display: "},
        {{{"-o", Path("missing/out.png")}}, 1, "cannot write " + Path("missing/out.png") + ": "},
        {{{"--sweep", "Frequence=0:1:2", "-o", Path("missing/sheet.png")}},
         1,
         "cannot write " + Path("missing/sheet.png") + ": "},
        {{{"--raw", "4x4"}, std::string(70, 'x')},
         1,
         "the input ended 6 bytes into frame 1, of 64 bytes each (is the --raw size right?)"},
        {{{"--frobnicate"}}, 2, "unknown option '--frobnicate' (see --help)"},
    };
    const std::set<std::string> before = Files();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.run.arguments));
        const Outcome outcome = RunTool(c.run);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.err.rfind("frayline-render: " + c.message, 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(outcome.err.back(), '\n');
        EXPECT_EQ(Files(), before);
    }
}

// ---- One picture, against the model ----

TEST_F(Tool, RenderedPictureMatchesTheShaderModel)
{
    const uint32_t width = 160, height = 120;
    WritePng(Path("in.png"), CoordinatePicture(width, height));
    GLContext context;  // for the texture the fixture takes its size from
    const Texture sized(PixelFormat::RGBA8, width, height);

    struct Case {
        const char* name;
        std::vector<std::string> settings;
        model::Uniforms uniforms;
    };
    model::Uniforms defaults;
    model::Uniforms bothAxes;
    bothAxes.distortion[0] = 0.6f;
    bothAxes.distortion[1] = 0.35f;
    bothAxes.frequence = 0.7f;
    bothAxes.nStr = 0.4f;
    bothAxes.strength[1] = 0.8f;
    model::Uniforms offsetSwapped = bothAxes;
    offsetSwapped.mode = 1;
    offsetSwapped.swap = 1;
    // Names in any case with blanks round them, and indices, as a user
    // types them. Default speeds keep the drift phases at 0 whatever the
    // time.
    const std::vector<std::string> bothAxesSettings = {
        "--set", "x distortion=0.6", "--set", " Y DISTORTION =0.35",
        "--set", "Frequence=0.7",    "--set", "5=0.4",
        "--set", "Strength Y=0.8"};
    std::vector<std::string> offsetSwappedSettings = bothAxesSettings;
    offsetSwappedSettings.insert(offsetSwappedSettings.end(),
                                 {"--set", "random mode=1", "--set", "9=1"});
    const Case cases[] = {
        {"defaults", {}, defaults},
        {"both axes", bothAxesSettings, bothAxes},
        {"offset mode, axes swapped", offsetSwappedSettings, offsetSwapped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Invocation run{{Path("in.png"), "-o", Path("out.png")}};
        run.arguments.insert(run.arguments.end(), c.settings.begin(), c.settings.end());
        const Outcome outcome = RunTool(run);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        const Image rendered = ReadPng(Path("out.png"));
        ASSERT_EQ(rendered.width, width);
        ASSERT_EQ(rendered.height, height);
        EXPECT_TRUE(pixels::MatchesModel(AsFetchedCoordinates(rendered), sized, pixels::Quad{},
                                         c.uniforms));
    }
}

// ---- Streams ----

// Frames that differ from each other and inside themselves.
std::string RawFrames(uint32_t width, uint32_t height, uint32_t count)
{
    std::string frames;
    for (uint32_t f = 0; f < count; ++f)
        for (uint32_t i = 0; i < width * height; ++i)
            frames += {char(i * 7 + f * 40), char(i / width * 9), char(f * 80), char(255 - f)};
    return frames;
}

Image RawFrame(const std::string& frames, uint32_t width, uint32_t height, uint32_t index)
{
    Image picture(width, height);
    const std::size_t bytes = picture.rgba.size();
    std::copy(frames.begin() + index * bytes, frames.begin() + (index + 1) * bytes,
              picture.rgba.begin());
    return picture;
}

TEST_F(Tool, RawFramesComeOutAsTheirStillRenders)
{
    const uint32_t width = 48, height = 32, count = 3;
    const std::vector<std::string> settings = {"--set", "Y Distortion=0.4", "--set",
                                               "Frequence=0.6"};
    const std::string frames = RawFrames(width, height, count);

    Invocation raw{{"--raw", "48x32"}, frames};
    raw.arguments.insert(raw.arguments.end(), settings.begin(), settings.end());
    const Outcome outcome = RunTool(raw);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(outcome.out.size(), frames.size());

    for (uint32_t f = 0; f < count; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        WritePng(Path("frame.png"), RawFrame(frames, width, height, f));
        Invocation still{{Path("frame.png"), "-o", Path("still.png")}};
        still.arguments.insert(still.arguments.end(), settings.begin(), settings.end());
        ASSERT_EQ(RunTool(still).status, 0);
        EXPECT_EQ(RawFrame(outcome.out, width, height, f).rgba, ReadPng(Path("still.png")).rgba);
    }

    // Cut inside the last frame: the whole ones still come out.
    raw.input = frames.substr(0, frames.size() - 100);
    const Outcome cut = RunTool(raw);
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.out, outcome.out.substr(0, 2 * width * height * 4));
    EXPECT_NE(cut.err.find("the input ended 6044 bytes into frame 2"), std::string::npos)
        << cut.err;

    // No frames at all is a stream too.
    raw.input.clear();
    const Outcome empty = RunTool(raw);
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "");
}

// A live source sends a frame, then waits for it to come back before it
// sends the next: no frame may be held back waiting for its successor.
TEST_F(Tool, LiveFramesComeOutBeforeTheNextGoesIn)
{
    const uint32_t width = 48, height = 32, count = 3;
    const std::size_t bytes = width * height * 4;
    const std::string frames = RawFrames(width, height, count);
    const Outcome batch = RunTool({{"--raw", "48x32"}, frames});
    ASSERT_EQ(batch.status, 0) << batch.err;

    Child child({"--raw", "48x32"});
    for (uint32_t f = 0; f < count; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        ASSERT_EQ(write(child.in, frames.data() + f * bytes, bytes), ssize_t(bytes));
        std::string frame;
        while (frame.size() < bytes) {
            // Generous: a frame this small is drawn in milliseconds.
            pollfd wait = {child.out, POLLIN, 0};
            ASSERT_EQ(poll(&wait, 1, 30000), 1) << "frame held back";
            char buffer[65536];
            const ssize_t n =
                read(child.out, buffer, std::min(sizeof buffer, bytes - frame.size()));
            ASSERT_GT(n, 0);
            frame.append(buffer, std::size_t(n));
        }
        EXPECT_EQ(frame, batch.out.substr(f * bytes, bytes));
    }
    Child::Close(child.in);
    char rest;
    EXPECT_EQ(read(child.out, &rest, 1), 0);
    EXPECT_EQ(child.Wait(), 0);
}

TEST_F(Tool, ClosedOutputEndsTheStreamQuietly)
{
    const uint32_t width = 256, height = 256, count = 40;
    Invocation run{{"--raw", "256x256"}, RawFrames(width, height, count)};
    run.keep = width * height * 4;
    const Outcome outcome = RunTool(run);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
}

// The share of a rendered coordinate picture's pixels that fetched the
// texel the model names, give or take one on each axis.
double ShareMatchingModel(const Image& rendered, const model::Uniforms& uniforms)
{
    std::size_t matching = 0;
    for (uint32_t y = 0; y < rendered.height; ++y)
        for (uint32_t x = 0; x < rendered.width; ++x) {
            const uint32_t row = rendered.height - 1 - y;
            const model::Lookup lookup =
                model::Main(uniforms, (x + 0.5) / rendered.width, (row + 0.5) / rendered.height);
            const uint8_t* fetched = rendered.Pixel(x, y);
            if (std::abs(fetched[0] - pixels::ExpectedTexel(lookup.x, rendered.width)) <= 1 &&
                std::abs(fetched[1] - pixels::ExpectedTexel(lookup.y, rendered.height)) <= 1)
                ++matching;
        }
    return double(matching) / (rendered.width * rendered.height);
}

// The plugin keeps its own clock, so a frame drawn at time T shows drift
// phase (2 * speed - 1) * 2 * T: at X Speed 0.75, phase T. The tool sleeps
// until T and may wake late, the more so on a loaded machine, but never
// early. So each frame's phase is found as the one the model agrees with
// best (with these settings the share of agreeing pixels falls from 1 to
// 0.5 within 50 ms of it), and it must lie from T to a generous bound after.
struct Phase {
    double phase = 0.0;
    double share = 0.0;
};

// The middle of the phases the model agrees with best: near its phase the
// agreement is flat for a few milliseconds.
Phase BestPhase(const Image& rendered, double to, model::Uniforms uniforms)
{
    std::vector<Phase> phases;
    Phase best;
    for (double phase = 0.0; phase <= to; phase += 0.002) {
        uniforms.time[0] = phase;
        phases.push_back({phase, ShareMatchingModel(rendered, uniforms)});
        if (phases.back().share > best.share)
            best = phases.back();
    }
    double first = best.phase, last = best.phase;
    for (const Phase& p : phases)
        if (p.share >= best.share - 0.01 && std::abs(p.phase - best.phase) < 0.05) {
            first = std::min(first, p.phase);
            last = std::max(last, p.phase);
        }
    return {(first + last) / 2, best.share};
}

TEST_F(Tool, FramesAndAtAreDrawnAtTheirTimeOnThePluginsClock)
{
    WritePng(Path("in.png"), CoordinatePicture(128, 16));
    const std::vector<std::string> settings = {
        "--set", "X Speed=0.75",  "--set", "X Distortion=0.5",    "--set", "Strength X=0.75",
        "--set", "Random Mode=1", "--set", "Random Strength=0.1", "-q"};
    model::Uniforms uniforms;
    uniforms.distortion[0] = 0.5f;
    uniforms.strength[0] = 0.75f;
    uniforms.mode = 1;
    uniforms.nStr = 0.1f;
    const double late = 0.3;

    Invocation sequence{{Path("in.png"), "--frames", "3", "--fps", "5", "-o", Path("d%02d.png")}};
    sequence.arguments.insert(sequence.arguments.end(), settings.begin(), settings.end());
    const Outcome frames = RunTool(sequence);
    ASSERT_EQ(frames.status, 0) << frames.err;
    // Frame 0 is due at 0, but can be drawn no sooner than the end of set-up
    // (a shader compile); the others are due later than that.
    for (int k = 1; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const Phase found =
            BestPhase(ReadPng(Path("d0" + std::to_string(k) + ".png")), 1.0, uniforms);
        EXPECT_GE(found.share, 0.9);
        EXPECT_GE(found.phase, 0.2 * k - 0.01);
        EXPECT_LE(found.phase, 0.2 * k + late);
    }

    Invocation at{{Path("in.png"), "--at", "0.6", "-o", Path("later.png")}};
    at.arguments.insert(at.arguments.end(), settings.begin(), settings.end());
    const Outcome later = RunTool(at);
    ASSERT_EQ(later.status, 0) << later.err;
    const Phase found = BestPhase(ReadPng(Path("later.png")), 1.0, uniforms);
    EXPECT_GE(found.share, 0.9);
    EXPECT_GE(found.phase, 0.6 - 0.01);
    EXPECT_LE(found.phase, 0.6 + late);

    // At the default speeds nothing drifts: every frame is the same.
    const Outcome steady =
        RunTool({{Path("in.png"), "--frames", "2", "--fps", "20", "-o", Path("s.png")}});
    ASSERT_EQ(steady.status, 0) << steady.err;
    EXPECT_GE(ShareMatchingModel(ReadPng(Path("s-0000.png")), model::Uniforms()), 0.99);
    EXPECT_EQ(ReadPng(Path("s-0001.png")).rgba, ReadPng(Path("s-0000.png")).rgba);
}

// ---- Sweeps ----

// Where `part` sits in `whole` pixel for pixel, if anywhere.
bool Contains(const Image& whole, const Image& part)
{
    for (uint32_t top = 0; top + part.height <= whole.height; ++top)
        for (uint32_t left = 0; left + part.width <= whole.width; ++left) {
            bool same = true;
            for (uint32_t y = 0; same && y < part.height; ++y)
                same = std::equal(part.Pixel(0, y), part.Pixel(0, y) + part.width * 4,
                                  whole.Pixel(left, top + y));
            if (same)
                return true;
        }
    return false;
}

// Whether `text` is written somewhere in `sheet` in one colour on another,
// at the given scale.
bool ContainsText(const Image& sheet, const std::string& text, int scale)
{
    Image mask(uint32_t(BitmapFont::TextWidth(text, scale)),
               uint32_t(BitmapFont::GlyphHeight * scale));
    const uint8_t ink[4] = {255, 255, 255, 255};
    BitmapFont::Draw(mask, 0, 0, text, scale, ink);
    for (uint32_t top = 0; top + mask.height <= sheet.height; ++top)
        for (uint32_t left = 0; left + mask.width <= sheet.width; ++left) {
            const uint8_t* colour = nullptr;
            bool same = true;
            for (uint32_t y = 0; same && y < mask.height; ++y)
                for (uint32_t x = 0; same && x < mask.width; ++x) {
                    const uint8_t* pixel = sheet.Pixel(left + x, top + y);
                    if (mask.Pixel(x, y)[3]) {
                        colour = colour ? colour : pixel;
                        same = std::equal(pixel, pixel + 4, colour);
                    } else {
                        same = !colour || !std::equal(pixel, pixel + 4, colour);
                    }
                }
            if (same)
                return true;
        }
    return false;
}

TEST_F(Tool, SweepSheetHoldsEachValueLabelled)
{
    WritePng(Path("in.png"), CoordinatePicture(40, 30));
    const Outcome sweep =
        RunTool({{Path("in.png"), "--sweep", " x distortion=0:0.5:3", "-o", Path("sheet.png")}});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    const Outcome half =
        RunTool({{Path("in.png"), "--set", "X Distortion=0.5", "-o", Path("half.png")}});
    ASSERT_EQ(half.status, 0) << half.err;

    const Image sheet = ReadPng(Path("sheet.png"));
    // No distortion leaves the picture as it was.
    EXPECT_TRUE(Contains(sheet, ReadPng(Path("in.png"))));
    EXPECT_TRUE(Contains(sheet, ReadPng(Path("half.png"))));
    for (const char* label : {"X Distortion = 0", "X Distortion = 0.25", "X Distortion = 0.5"})
        EXPECT_TRUE(ContainsText(sheet, label, 1) || ContainsText(sheet, label, 2)) << label;
    EXPECT_FALSE(ContainsText(sheet, "X Distortion = 0.75", 1));
}

// ---- The plugin's own account of its parameters ----

TEST_F(Tool, ListShowsWhatThePluginSays)
{
    const Outcome list = RunTool({{"--list", "--set", "x speed=0.8"}});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out.rfind("Frayline 1.0 (FRLY)\n", 0), 0u) << list.out;
    // Index, name with its blanks, type, default, and the display text of
    // an instance, which shows what --set gave it.
    for (const char* row : {"    0  \" X Distortion\"    standard  0.25      0.250000\n",
                            "    6  \"X Speed\"          standard  0.5       0.800000\n",
                            "    8  \"Random Mode\"      boolean   0         0.000000\n",
                            "   10  \"Color Influence\"  boolean   0         0.000000\n"})
        EXPECT_NE(list.out.find(row), std::string::npos) << row << "in\n" << list.out;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 13);
}

}  // namespace
}  // namespace frayline
