#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/PluginLibrary.h"

namespace frayline {

// A plugin binary made ready to draw: loaded, initialised, checked to be an
// OpenGL effect, with its parameter table read once. Instances come from
// EffectInstance. Needs no GL context.
class Effect {
public:
    struct Parameter {
        uint32_t index;
        std::string name;  // as the plugin gives it, blanks included
        uint32_t type;     // FF_TYPE_BOOLEAN, FF_TYPE_STANDARD, FF_TYPE_TEXT, ...
        float defaultValue;
    };

    // Throws HostError when the binary does not load, lacks plugMain, fails
    // to initialise or cannot draw with OpenGL.
    explicit Effect(const std::string& path);
    ~Effect();

    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    const PluginLibrary& Library() const { return library_; }
    const std::vector<Parameter>& Parameters() const { return parameters_; }

    // "Name version (ID)", from the plugin's info records.
    std::string Title() const;

    // The parameter a user means: an index, or a name compared without case
    // and without blanks at either end. Throws UsageError naming the valid
    // names when there is none.
    uint32_t Resolve(const std::string& key) const;

    // A parameter's name without its outer blanks, as labels show it.
    std::string DisplayName(uint32_t index) const;

    static const char* TypeName(uint32_t type);

private:
    PluginLibrary library_;
    std::vector<Parameter> parameters_;
};

}  // namespace frayline
