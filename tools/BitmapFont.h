#pragma once

#include <cstdint>
#include <string>

#include "tools/Image.h"

namespace frayline {

// A 5x7 pixel font for the printable ASCII characters, enough to label
// contact sheets and the test card without a font library, with an eighth
// row for the descenders of g, j, p, q and y. Each glyph sits in a 6x9 cell
// (a column and a row of spacing), scaled by a whole factor. Characters
// outside the set draw as a hollow box.
class BitmapFont {
public:
    static constexpr int GlyphWidth = 5;
    static constexpr int GlyphHeight = 8;
    static constexpr int CellWidth = 6;
    static constexpr int CellHeight = 9;

    // Width in pixels of a line of text, without the trailing spacing column.
    static int TextWidth(const std::string& text, int scale);

    // Draws opaque text with its top-left corner at (x, y), top-down rows;
    // what falls outside the image is clipped.
    static void Draw(Image& image, int x, int y, const std::string& text, int scale,
                     const uint8_t rgba[4]);

    // Whether a character has a glyph of its own.
    static bool HasGlyph(char c);
};

}  // namespace frayline
