#include "tools/Effect.h"

#include <cctype>
#include <cstring>

#include "host/HostError.h"
#include "tools/CommandLine.h"

namespace frayline {
namespace {

// A fixed-size name field, which need not be terminated.
std::string Field(const void* bytes, std::size_t size)
{
    const char* text = static_cast<const char*>(bytes);
    return std::string(text, strnlen(text, size));
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

Effect::Effect(const std::string& path) : library_(path)
{
    if (library_.Initialise() != FF_SUCCESS)
        throw HostError("the plugin " + path + " failed to initialise");
    try {
        if (library_.PluginCaps(FF_CAP_PROCESSOPENGL) != 1)
            throw HostError("the plugin " + path + " does not draw with OpenGL");
        const uint32_t count = library_.NumParameters();
        if (count == FF_FAIL)
            throw HostError("the plugin " + path + " does not say how many parameters it has");
        for (uint32_t i = 0; i < count; ++i) {
            const char* name = library_.ParameterName(i);
            const MixedValue defaultBits = library_.ParameterDefault(i);
            float defaultValue = 0.0f;
            const uint32_t low = static_cast<uint32_t>(defaultBits);
            std::memcpy(&defaultValue, &low, sizeof defaultValue);
            parameters_.push_back(
                {i, name ? Field(name, 16) : "", library_.ParameterType(i), defaultValue});
        }
    } catch (...) {
        library_.Deinitialise();
        throw;
    }
}

Effect::~Effect()
{
    library_.Deinitialise();
}

std::string Effect::Title() const
{
    std::string title = "(unnamed plugin)";
    if (const PluginInfoStruct* info = library_.GetInfo()) {
        title = Field(info->PluginName, sizeof info->PluginName);
        if (const PluginExtendedInfoStruct* extended = library_.GetExtendedInfo())
            title += " " + std::to_string(extended->PluginMajorVersion) + "." +
                     std::to_string(extended->PluginMinorVersion);
        title += " (" + Field(info->PluginUniqueID, sizeof info->PluginUniqueID) + ")";
    }
    return title;
}

uint32_t Effect::Resolve(const std::string& key) const
{
    const std::string wanted = Trim(key);
    const bool isIndex =
        !wanted.empty() && wanted.find_first_not_of("0123456789") == std::string::npos;
    if (isIndex) {
        const unsigned long index = wanted.size() > 9 ? ~0ul : std::stoul(wanted);
        if (index < parameters_.size())
            return uint32_t(index);
    } else {
        for (const Parameter& parameter : parameters_)
            if (Lower(Trim(parameter.name)) == Lower(wanted))
                return parameter.index;
    }

    std::string names;
    for (const Parameter& parameter : parameters_)
        names += (names.empty() ? "" : ", ") + Trim(parameter.name);
    const std::string indices =
        parameters_.empty() ? ""
                            : " (or an index, 0 to " + std::to_string(parameters_.size() - 1) + ")";
    throw UsageError("unknown parameter '" + key + "'; the parameters are: " + names + indices);
}

std::string Effect::DisplayName(uint32_t index) const
{
    return index < parameters_.size() ? Trim(parameters_[index].name) : std::to_string(index);
}

const char* Effect::TypeName(uint32_t type)
{
    switch (type) {
    case FF_TYPE_BOOLEAN:
        return "boolean";
    case FF_TYPE_STANDARD:
        return "standard";
    case FF_TYPE_TEXT:
        return "text";
    default:
        return "other";
    }
}

}  // namespace frayline
