#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/Image.h"

namespace frayline {

// Pictures side by side on one sheet, each shrunk to at most TileWidth
// pixels wide (by a whole factor, averaging the pixels it merges) and
// labelled underneath. Up to five to a row; rows as even as they can be.
class ContactSheet {
public:
    static constexpr uint32_t TileWidth = 320;

    struct Tile {
        Image picture;
        std::string label;
    };

    static Image Compose(const std::vector<Tile>& tiles);

    // A picture shrunk by `factor` in both directions: each pixel the
    // average of a factor x factor block, weighted by alpha so that
    // transparent pixels lend no colour. Leftover edge pixels are dropped.
    static Image Shrink(const Image& picture, uint32_t factor);
};

}  // namespace frayline
