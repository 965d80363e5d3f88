#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "tools/Effect.h"

namespace frayline {

// One instance of an effect bound to the current GL context, for pictures
// of one size. The plugin starts its clock when the instance is set up and
// reads it again at every frame: SetUpTime() is the zero of that clock as
// this side sees it (std::chrono::steady_clock, which is the same monotonic
// clock on Linux), and WaitUntil() is how a frame is drawn at a chosen time.
class EffectInstance {
public:
    using Clock = std::chrono::steady_clock;

    // Throws HostError when the plugin refuses the instance.
    EffectInstance(const Effect& effect, uint32_t width, uint32_t height);
    ~EffectInstance();

    EffectInstance(const EffectInstance&) = delete;
    EffectInstance& operator=(const EffectInstance&) = delete;

    // Throws HostError when the plugin refuses the value.
    void Set(uint32_t index, float value);

    // The plugin's text for a parameter's current value ("" for none).
    std::string DisplayText(uint32_t index) const;

    Clock::time_point SetUpTime() const { return setUp_; }

    // Sleeps until `seconds` after set-up; returns at once when that is past.
    void WaitUntil(double seconds) const;

    // Has the plugin draw `input` into `target`, as a host does it: the
    // target's framebuffer bound, its viewport and identity matrices set.
    // Throws HostError when the plugin fails or leaves a GL error.
    void Draw(const Texture& input, RenderTarget& target);

private:
    const Effect& effect_;
    uintptr_t instance_ = 0;
    Clock::time_point setUp_;
};

}  // namespace frayline
