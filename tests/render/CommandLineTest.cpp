// frayline-render's command line, in-process: what each argument list asks
// for, what each bad one is told, and how parameter keys meet the names the
// plugin gives.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/CommandLine.h"
#include "tools/Effect.h"

namespace frayline {
namespace {

using Mode = Options::Mode;
using Arguments = std::vector<std::string>;

std::string UsageMessage(const std::function<void()>& action)
{
    try {
        action();
    } catch (const UsageError& error) {
        return error.what();
    }
    return "(no UsageError)";
}

TEST(CommandLine, AcceptedArgumentsAndWhatTheyMean)
{
    struct Case {
        Arguments arguments;
        std::function<void(const Options&)> check;
    };
    const Case cases[] = {
        {{"-o", "out.png"},
         [](const Options& o) {
             EXPECT_EQ(o.mode, Mode::Still);
             EXPECT_EQ(o.input, "");
             EXPECT_EQ(o.output, "out.png");
             EXPECT_EQ(o.plugin, "");
             EXPECT_EQ(o.at, 0.0);
             EXPECT_FALSE(o.quiet);
         }},
        {{"in.png", "--output=out.png", "--plugin", "p.so", "--at", "0.5", "-q"},
         [](const Options& o) {
             EXPECT_EQ(o.input, "in.png");
             EXPECT_EQ(o.output, "out.png");
             EXPECT_EQ(o.plugin, "p.so");
             EXPECT_EQ(o.at, 0.5);
             EXPECT_TRUE(o.quiet);
         }},
        // Keys stay as written; values are numbers with blanks allowed.
        {{"--set", " X Distortion=0.8", "--set=4= 1e-1 ", "-o", "o.png"},
         [](const Options& o) {
             ASSERT_EQ(o.settings.size(), 2u);
             EXPECT_EQ(o.settings[0].key, " X Distortion");
             EXPECT_EQ(o.settings[0].value, 0.8f);
             EXPECT_EQ(o.settings[1].key, "4");
             EXPECT_EQ(o.settings[1].value, 0.1f);
         }},
        {{"--frames", "12", "--fps", "25", "-o", "f.png"},
         [](const Options& o) {
             EXPECT_EQ(o.mode, Mode::Frames);
             EXPECT_EQ(o.frames, 12u);
             EXPECT_EQ(o.fps, 25.0);
             EXPECT_TRUE(o.fpsGiven);
         }},
        {{"--frames", "2", "-o", "f.png"},
         [](const Options& o) {
             EXPECT_EQ(o.fps, 30.0);
             EXPECT_FALSE(o.fpsGiven);
         }},
        {{"--raw", "1920x1080"},
         [](const Options& o) {
             EXPECT_EQ(o.mode, Mode::Raw);
             EXPECT_EQ(o.rawWidth, 1920u);
             EXPECT_EQ(o.rawHeight, 1080u);
         }},
        {{"--raw=7X5", "--fps", "30"},
         [](const Options& o) {
             EXPECT_EQ(o.rawWidth, 7u);
             EXPECT_EQ(o.rawHeight, 5u);
         }},
        {{"--sweep", "Frequence=0:1:5", "-o", "s.png"},
         [](const Options& o) {
             EXPECT_EQ(o.mode, Mode::Sweep);
             EXPECT_EQ(o.sweep.key, "Frequence");
             EXPECT_EQ(o.sweep.Values(), (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f, 1.0f}));
         }},
        {{"--sweep", "Random Mode=1:0:2", "-o", "s.png"},
         [](const Options& o) {
             EXPECT_EQ(o.sweep.Values(), (std::vector<float>{1.0f, 0.0f}));
         }},
        {{"--sweep", "3=0.3:9:1", "-o", "s.png"},
         [](const Options& o) { EXPECT_EQ(o.sweep.Values(), (std::vector<float>{0.3f})); }},
        {{"--list", "--set", "0=1"}, [](const Options& o) { EXPECT_EQ(o.mode, Mode::List); }},
        {{"--help", "--whatever"}, [](const Options& o) { EXPECT_EQ(o.mode, Mode::Help); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        c.check(ParseCommandLine(c.arguments));
    }
}

TEST(CommandLine, EachMistakeIsNamed)
{
    struct Case {
        Arguments arguments;
        std::string message;
    };
    const Case cases[] = {
        {{}, "no output file: give -o PATH.png"},
        {{"in.png"}, "no output file"},
        {{"-o"}, "-o needs a value"},
        {{"--frobnicate", "-o", "o.png"}, "unknown option '--frobnicate'"},
        {{"--sweep=", "-o", "o.png"}, "--sweep '': expected NAME=FROM:TO:COUNT"},
        {{"a.png", "b.png", "-o", "o.png"}, "unexpected argument 'b.png'"},
        {{"--set", "Frequence", "-o", "o.png"}, "--set 'Frequence': expected NAME=VALUE"},
        {{"--set", "=1", "-o", "o.png"}, "expected NAME=VALUE"},
        {{"--set", "X Speed=fast", "-o", "o.png"}, "--set X Speed: 'fast' is not a number"},
        {{"--set", "X Speed=", "-o", "o.png"}, "'' is not a number"},
        {{"--set", "X Speed=0,5", "-o", "o.png"}, "'0,5' is not a number"},
        {{"--set", "X Speed=nan", "-o", "o.png"}, "'nan' is not a number"},
        {{"--set", "X Speed=1e999", "-o", "o.png"}, "'1e999' is not a number"},
        {{"--at", "soon", "-o", "o.png"}, "--at: 'soon' is not a number"},
        {{"--at", "-1", "-o", "o.png"}, "--at: -1 is before set-up"},
        {{"--raw", "1920"}, "bad --raw size '1920': expected WIDTHxHEIGHT"},
        {{"--raw", "1920x"}, "bad --raw size '1920x'"},
        {{"--raw", "-1x5"}, "bad --raw size '-1x5'"},
        {{"--raw", "12.5x5"}, "bad --raw size '12.5x5'"},
        {{"--raw", "0x1080"}, "bad --raw width: 0 is out of range (1 to 16384)"},
        {{"--raw", "1920x99999999999"}, "bad --raw height: 99999999999 is out of range"},
        {{"--raw", "64x64", "in.png"}, "--raw reads its frames from standard input"},
        {{"--raw", "64x64", "-o", "o.png"}, "--raw writes its frames to standard output"},
        {{"--frames", "0", "-o", "f.png"}, "--frames: 0 is out of range"},
        {{"--frames", "many", "-o", "f.png"}, "--frames: 'many' is not a whole number"},
        {{"--frames", "2", "--fps", "0", "-o", "f.png"}, "--fps: 0 is out of range"},
        {{"--fps", "30", "-o", "o.png"}, "--fps paces --frames or --raw"},
        {{"--frames", "2", "-o", "f%x.png"}, "output name 'f%x.png': use %d or %0Nd"},
        {{"--frames", "2", "-o", "f%d-%d.png"}, "more than one frame number"},
        {{"--sweep", "Frequence=0:1", "-o", "s.png"}, "expected NAME=FROM:TO:COUNT"},
        {{"--sweep", "Frequence=0:1:2:3", "-o", "s.png"}, "expected NAME=FROM:TO:COUNT"},
        {{"--sweep", "Frequence=a:1:5", "-o", "s.png"}, "--sweep start: 'a' is not a number"},
        {{"--sweep", "Frequence=0:1:0", "-o", "s.png"},
         "--sweep count: 0 is out of range (1 to 64)"},
        {{"--raw", "8x8", "--frames", "2"}, "--raw and --frames cannot be combined"},
        {{"--sweep", "0=0:1:2", "--list"}, "--sweep and --list cannot be combined"},
        {{"--list", "in.png"}, "--list reads no input and writes no file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const std::string message = UsageMessage([&] { ParseCommandLine(c.arguments); });
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(CommandLine, FramePathNumbersTheFrames)
{
    struct Case {
        std::string pattern;
        uint32_t index;
        std::string path;
    };
    const Case cases[] = {
        {"out.png", 7, "out-0007.png"},
        {"dir.v2/out", 12345, "dir.v2/out-12345"},
        {"dir/.png", 3, "dir/.png-0003"},
        {"f%d.png", 42, "f42.png"},
        {"f%06d.png", 42, "f000042.png"},
        {"100%%-%03d.png", 5, "100%-005.png"},
        {"%d", 0, "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FramePath(c.pattern, c.index), c.path) << c.pattern;
}

// Keys against the parameter names the built plugin gives, blanks and all.
TEST(CommandLine, ParameterKeysMatchThePluginsNames)
{
    const Effect effect(FRAYLINE_PLUGIN_PATH);
    struct Case {
        std::string key;
        uint32_t index;
    };
    const Case cases[] = {
        {" X Distortion", 0},
        {"X Distortion", 0},
        {"x distortion", 0},
        {"  X DISTORTION\t", 0},
        {"Frequence", 4},
        {"frequence ", 4},
        {"4", 4},
        {" 10 ", 10},
        {"swap x and y", 9},
        {"0", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(effect.Resolve(c.key), c.index) << "'" << c.key << "'";

    for (const char* key : {"Frequency", "XDistortion", "11", "-1", ""}) {
        const std::string message = UsageMessage([&] { effect.Resolve(key); });
        EXPECT_EQ(message, "unknown parameter '" + std::string(key) +
                               "'; the parameters are: X Distortion, Y Distortion, Strength X, "
                               "Strength Y, Frequence, Random Strength, X Speed, Y Speed, Random "
                               "Mode, Swap X and Y, Color Influence (or an index, 0 to 10)");
    }
}

}  // namespace
}  // namespace frayline
