#include "tools/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace frayline {
namespace {

// Largest picture side and sweep length accepted; GL's own texture limit is
// checked once there is a context.
constexpr uint32_t MaximumSide = 16384;
constexpr uint32_t MaximumSweep = 64;
constexpr uint32_t MaximumFrames = 1000000;

bool IsDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A whole number from `low` to `high`, digits only.
uint32_t ParseCount(const std::string& text, const std::string& what, uint32_t low, uint32_t high)
{
    const std::string trimmed = Trim(text);
    if (!IsDigits(trimmed))
        throw UsageError(what + ": '" + text + "' is not a whole number");
    const unsigned long long value =
        trimmed.size() > 10 ? ~0ull : std::strtoull(trimmed.c_str(), nullptr, 10);
    if (value < low || value > high)
        throw UsageError(what + ": " + trimmed + " is out of range (" + std::to_string(low) +
                         " to " + std::to_string(high) + ")");
    return uint32_t(value);
}

// Splits "NAME=VALUE" at its first '='.
void SplitAssignment(const std::string& text, const std::string& option, const std::string& form,
                     std::string& name, std::string& value)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || Trim(text.substr(0, equals)).empty())
        throw UsageError(option + " '" + text + "': expected " + form);
    name = text.substr(0, equals);
    value = text.substr(equals + 1);
}

// One conversion of a frame pattern: where it starts, its length and width.
struct Conversion {
    std::size_t position = std::string::npos;
    std::size_t length = 0;
    int width = 0;
};

// Finds the pattern's conversion; "%%" stands for a percent sign. Throws
// for anything else after a '%' and for a second conversion.
Conversion FindConversion(const std::string& pattern)
{
    Conversion found;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        std::size_t j = i + 1;
        if (j < pattern.size() && pattern[j] == '%') {
            i = j;
            continue;
        }
        int width = 0;
        if (j < pattern.size() && pattern[j] == '0') {
            ++j;
            if (j < pattern.size() && pattern[j] >= '1' && pattern[j] <= '9')
                width = pattern[j++] - '0';
            else
                j = pattern.size();
        }
        if (j >= pattern.size() || pattern[j] != 'd')
            throw UsageError("output name '" + pattern +
                             "': use %d or %0Nd (N from 1 to 9) for the frame number");
        if (found.position != std::string::npos)
            throw UsageError("output name '" + pattern + "': more than one frame number");
        found = Conversion{i, j + 1 - i, width};
        i = j;
    }
    return found;
}

std::string Unescape(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        plain += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
    }
    return plain;
}

}  // namespace

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

double ParseNumber(const std::string& text, const std::string& what)
{
    const std::string trimmed = Trim(text);
    const char* begin = trimmed.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (trimmed.empty() || end != begin + trimmed.size() || !std::isfinite(value) ||
        errno == ERANGE)
        throw UsageError(what + ": '" + text + "' is not a number");
    return value;
}

std::vector<float> Options::Sweep::Values() const
{
    std::vector<float> values;
    for (uint32_t i = 0; i < count; ++i)
        values.push_back(count == 1 ? float(from) : float(from + (to - from) * i / (count - 1)));
    return values;
}

std::string FramePath(const std::string& pattern, uint32_t index)
{
    Conversion conversion = FindConversion(pattern);
    std::string path = pattern;
    if (conversion.position == std::string::npos) {
        // "out.png" becomes "out-%04d.png"; a dot before the last slash is
        // part of a directory, not an extension.
        std::size_t dot = path.rfind('.');
        const std::size_t slash = path.rfind('/');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
            dot == slash + 1)
            dot = path.size();
        path.insert(dot, "-%04d");
        conversion = Conversion{dot + 1, 4, 4};
    }
    std::string number = std::to_string(index);
    if (int(number.size()) < conversion.width)
        number.insert(0, conversion.width - number.size(), '0');
    return Unescape(path.substr(0, conversion.position)) + number +
           Unescape(path.substr(conversion.position + conversion.length));
}

Options ParseCommandLine(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> modes;  // the options that chose a mode, for conflicts
    bool inputGiven = false;

    auto chooseMode = [&](Options::Mode mode, const std::string& option) {
        modes.push_back(option);
        if (modes.size() > 1)
            throw UsageError(modes[0] + " and " + option + " cannot be combined");
        options.mode = mode;
    };

    // Options that take a value, by every name they answer to.
    using Handler = std::function<void(const std::string& option, const std::string& value)>;
    const std::map<std::string, Handler> valued = {
        {"-o", [&](const std::string&, const std::string& v) { options.output = v; }},
        {"--output", [&](const std::string&, const std::string& v) { options.output = v; }},
        {"--plugin", [&](const std::string&, const std::string& v) { options.plugin = v; }},
        {"--set",
         [&](const std::string& o, const std::string& v) {
             std::string name, value;
             SplitAssignment(v, o, "NAME=VALUE", name, value);
             options.settings.push_back({name, float(ParseNumber(value, o + " " + Trim(name)))});
         }},
        {"--at",
         [&](const std::string& o, const std::string& v) {
             options.at = ParseNumber(v, o);
             if (options.at < 0)
                 throw UsageError(o + ": " + v + " is before set-up (give 0 or more seconds)");
         }},
        {"--frames",
         [&](const std::string& o, const std::string& v) {
             chooseMode(Options::Mode::Frames, o);
             options.frames = ParseCount(v, o, 1, MaximumFrames);
         }},
        {"--fps",
         [&](const std::string& o, const std::string& v) {
             options.fps = ParseNumber(v, o);
             options.fpsGiven = true;
             if (options.fps <= 0 || options.fps > 1000)
                 throw UsageError(o + ": " + v + " is out of range (above 0, at most 1000)");
         }},
        {"--raw",
         [&](const std::string& o, const std::string& v) {
             chooseMode(Options::Mode::Raw, o);
             const std::size_t x = v.find_first_of("xX");
             const std::string width = v.substr(0, x),
                               height = x == std::string::npos ? "" : v.substr(x + 1);
             if (x == std::string::npos || !IsDigits(width) || !IsDigits(height))
                 throw UsageError("bad " + o + " size '" + v +
                                  "': expected WIDTHxHEIGHT, such as 1920x1080");
             options.rawWidth = ParseCount(width, "bad " + o + " width", 1, MaximumSide);
             options.rawHeight = ParseCount(height, "bad " + o + " height", 1, MaximumSide);
         }},
        {"--sweep",
         [&](const std::string& o, const std::string& v) {
             chooseMode(Options::Mode::Sweep, o);
             std::string name, range;
             SplitAssignment(v, o, "NAME=FROM:TO:COUNT", name, range);
             const std::size_t first = range.find(':');
             const std::size_t second =
                 first == std::string::npos ? first : range.find(':', first + 1);
             if (second == std::string::npos || range.find(':', second + 1) != std::string::npos)
                 throw UsageError(o + " '" + v +
                                  "': expected NAME=FROM:TO:COUNT, such as Frequence=0:1:5");
             options.sweep.key = name;
             options.sweep.from = ParseNumber(range.substr(0, first), o + " start");
             options.sweep.to =
                 ParseNumber(range.substr(first + 1, second - first - 1), o + " end");
             options.sweep.count =
                 ParseCount(range.substr(second + 1), o + " count", 1, MaximumSweep);
         }},
    };

    // Help wins over everything else on the line, right or wrong.
    for (const std::string& argument : arguments)
        if (argument == "-h" || argument == "--help") {
            options.mode = Options::Mode::Help;
            return options;
        }

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--list") {
            chooseMode(Options::Mode::List, argument);
            continue;
        }
        if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            // "--name value" or "--name=value".
            std::string name = argument, value;
            const std::size_t equals = argument.find('=');
            const bool attached = argument.compare(0, 2, "--") == 0 && equals != std::string::npos;
            if (attached)
                name = argument.substr(0, equals);
            const auto handler = valued.find(name);
            if (handler == valued.end())
                throw UsageError("unknown option '" + name + "' (see --help)");
            if (attached) {
                value = argument.substr(equals + 1);
            } else {
                if (i + 1 >= arguments.size())
                    throw UsageError(name + " needs a value (see --help)");
                value = arguments[++i];
            }
            handler->second(name, value);
            continue;
        }
        if (inputGiven)
            throw UsageError("unexpected argument '" + argument + "': one input file at most");
        options.input = argument;
        inputGiven = true;
    }

    switch (options.mode) {
    case Options::Mode::List:
        if (inputGiven || !options.output.empty())
            throw UsageError("--list reads no input and writes no file");
        break;
    case Options::Mode::Raw:
        if (inputGiven)
            throw UsageError("--raw reads its frames from standard input: give no input file");
        if (!options.output.empty())
            throw UsageError("--raw writes its frames to standard output: give no -o");
        break;
    default:
        if (options.output.empty())
            throw UsageError("no output file: give -o PATH.png");
        break;
    }
    if (options.fpsGiven && options.mode != Options::Mode::Frames &&
        options.mode != Options::Mode::Raw)
        throw UsageError("--fps paces --frames or --raw: give one of them");
    if (options.mode == Options::Mode::Frames)
        FramePath(options.output, 0);  // throws for a malformed pattern
    return options;
}

std::string UsageText()
{
    return "usage: frayline-render [OPTIONS] [INPUT.png] -o OUTPUT.png\n"
           "       frayline-render [OPTIONS] [INPUT.png] --frames N [--fps F] -o FRAME-%04d.png\n"
           "       frayline-render [OPTIONS] --raw WxH [--fps F] <in.rgba >out.rgba\n"
           "       frayline-render [OPTIONS] [INPUT.png] --sweep NAME=FROM:TO:COUNT -o SHEET.png\n"
           "       frayline-render [--plugin PATH] [--set NAME=VALUE]... --list\n"
           "\n"
           "Draws a picture through the Frayline plugin, headless, as a host would,\n"
           "and writes the result with its alpha. Without INPUT (a PNG of any kind)\n"
           "it draws the built-in 640x360 test card.\n"
           "\n"
           "  -o, --output PATH    the PNG to write; for --frames a name with %d or\n"
           "                       %04d for the frame number (else -0000 is added)\n"
           "  --plugin PATH        the plugin binary (default: the one beside this program)\n"
           "  --set NAME=VALUE     a parameter by name (any case, blanks at the ends\n"
           "                       ignored) or by index; repeat for more\n"
           "  --at SECONDS         draw at this time after the plugin's set-up; the\n"
           "                       plugin keeps its own clock, so this waits in real time\n"
           "  --frames N           N frames, numbered from 0, frame k drawn at --at + k/F\n"
           "                       in real time (frame 0 no sooner than set-up ends)\n"
           "  --fps F              frames per second of --frames (default 30), or a pace\n"
           "                       for --raw (default: as fast as frames arrive)\n"
           "  --raw WxH            RGBA8 frames of WxH on standard input, top row first,\n"
           "                       drawn and written to standard output, as in\n"
           "                       ffmpeg ... -f rawvideo -pix_fmt rgba - | frayline-render\n"
           "                       --raw 1920x1080 | ffmpeg -f rawvideo -pix_fmt rgba\n"
           "                       -s 1920x1080 -i - ...\n"
           "  --sweep NAME=A:B:N   one contact sheet: the input under N values of one\n"
           "                       parameter, from A to B, each labelled\n"
           "  --list               the plugin's parameters: index, name, type, default\n"
           "                       and display text, as the plugin gives them\n"
           "  -q, --quiet          no progress line (shown for --frames and --raw when\n"
           "                       standard error is a terminal)\n"
           "  -h, --help           this text\n";
}

}  // namespace frayline
