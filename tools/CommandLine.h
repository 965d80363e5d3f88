#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace frayline {

// A command line frayline-render cannot follow; the message is one line
// that names the argument at fault.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the command line asks for. Parameter names stay text here: they are
// matched against the names the plugin itself gives, once it is loaded.
struct Options {
    enum class Mode { Still, Frames, Raw, Sweep, List, Help };

    struct Setting {
        std::string key;  // a parameter name or index, as written
        float value = 0.0f;
    };

    struct Sweep {
        std::string key;
        double from = 0.0;
        double to = 0.0;
        uint32_t count = 0;

        // The count values from `from` to `to`, evenly spaced, ends included.
        std::vector<float> Values() const;
    };

    Mode mode = Mode::Still;
    std::string input;   // a PNG file; empty means the built-in test card
    std::string output;  // a PNG file; for Frames a name with one %d (or one is added)
    std::string plugin;  // empty means the plugin built beside the executable
    std::vector<Setting> settings;
    double at = 0.0;  // seconds after set-up of the (first) frame
    uint32_t frames = 0;
    double fps = 30.0;
    bool fpsGiven = false;
    uint32_t rawWidth = 0;
    uint32_t rawHeight = 0;
    Sweep sweep;
    bool quiet = false;
};

// Parses the arguments after the program name. Throws UsageError.
Options ParseCommandLine(const std::vector<std::string>& arguments);

// The help text, ending in a newline.
std::string UsageText();

// A finite number, blanks around it allowed. Throws UsageError naming `what`.
double ParseNumber(const std::string& text, const std::string& what);

// The name of frame `index` of a sequence: the pattern's one %d or %0Nd
// replaced, or, in a pattern without one, a dash and four digits put before
// the extension ("out.png" gives "out-0007.png").
std::string FramePath(const std::string& pattern, uint32_t index);

// Blanks (spaces and tabs) cut from both ends.
std::string Trim(const std::string& text);

}  // namespace frayline
