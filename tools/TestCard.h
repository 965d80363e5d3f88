#pragma once

#include <cstdint>

#include "tools/Image.h"

namespace frayline {

// The picture frayline-render uses when given no input: colour bars, a grey
// ramp, a resolution wedge of vertical stripes, a grid and a circle, with a
// title in the top-left corner so that orientation shows. Opaque. Every
// feature is placed in proportion, so any size from 64x36 up works.
class TestCard {
public:
    static constexpr uint32_t DefaultWidth = 640;
    static constexpr uint32_t DefaultHeight = 360;

    static Image Make(uint32_t width = DefaultWidth, uint32_t height = DefaultHeight);
};

}  // namespace frayline
