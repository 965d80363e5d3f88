#include "tools/TestCard.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/BitmapFont.h"

namespace frayline {
namespace {

void Fill(Image& image, int x0, int y0, int x1, int y1, const uint8_t rgba[4])
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, int(image.width));
    y1 = std::min(y1, int(image.height));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            std::copy(rgba, rgba + 4, image.Pixel(uint32_t(x), uint32_t(y)));
}

}  // namespace

Image TestCard::Make(uint32_t width, uint32_t height)
{
    Image card(width, height);
    const int w = int(width);
    const int h = int(height);
    // One unit is a pixel at the default height.
    const double unit = h / double(DefaultHeight);
    const int line = std::max(1, int(std::lround(unit)));

    const uint8_t background[4] = {24, 24, 28, 255};
    const uint8_t grid[4] = {70, 70, 78, 255};
    const uint8_t white[4] = {235, 235, 235, 255};
    Fill(card, 0, 0, w, h, background);

    const int cell = std::max(4, h / 9);
    for (int x = cell / 2; x < w; x += cell)
        Fill(card, x, 0, x + line, h, grid);
    for (int y = cell / 2; y < h; y += cell)
        Fill(card, 0, y, w, y + line, grid);

    // Colour bars at three-quarter level: white, yellow, cyan, green,
    // magenta, red, blue.
    const uint8_t bars[7][4] = {{191, 191, 191, 255}, {191, 191, 0, 255}, {0, 191, 191, 255},
                                {0, 191, 0, 255},     {191, 0, 191, 255}, {191, 0, 0, 255},
                                {0, 0, 191, 255}};
    const int barsTop = int(0.14 * h), barsBottom = int(0.46 * h);
    for (int i = 0; i < 7; ++i)
        Fill(card, i * w / 7, barsTop, (i + 1) * w / 7, barsBottom, bars[i]);

    // A grey ramp, black on the left to white on the right.
    const int rampTop = int(0.50 * h), rampBottom = int(0.60 * h);
    for (int x = 0; x < w; ++x) {
        const uint8_t v = uint8_t(std::lround(255.0 * x / std::max(1, w - 1)));
        const uint8_t grey[4] = {v, v, v, 255};
        Fill(card, x, rampTop, x + 1, rampBottom, grey);
    }

    // A wedge of vertical stripes whose period shrinks from 32 units to 2:
    // sideways displacement shows most where the detail is finest.
    const int wedgeTop = int(0.64 * h), wedgeBottom = int(0.80 * h);
    double phase = 0.0;
    for (int x = 0; x < w; ++x) {
        const double period = std::max(2.0, (32.0 + (2.0 - 32.0) * x / std::max(1, w - 1)) * unit);
        const uint8_t* colour = phase - std::floor(phase) < 0.5 ? white : background;
        Fill(card, x, wedgeTop, x + 1, wedgeBottom, colour);
        phase += 1.0 / period;
    }

    // A circle round the centre and a cross in it, over everything else.
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double radius = 0.42 * h, thickness = std::max(2.0, 2.0 * unit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double distance = std::hypot(x - cx, y - cy);
            if (std::abs(distance - radius) < thickness / 2)
                std::copy(white, white + 4, card.Pixel(uint32_t(x), uint32_t(y)));
        }
    const int arm = int(0.05 * h);
    Fill(card, int(cx) - arm, int(cy), int(cx) + arm + 1, int(cy) + line, white);
    Fill(card, int(cx), int(cy) - arm, int(cx) + line, int(cy) + arm + 1, white);

    // The title in the top-left corner, the size in the bottom-left one.
    const int scale = std::max(1, int(std::lround(2 * unit)));
    const int margin = std::max(2, int(8 * unit));
    BitmapFont::Draw(card, margin, margin, "FRAYLINE TEST CARD", scale, white);
    BitmapFont::Draw(card, margin, h - margin - BitmapFont::GlyphHeight * scale,
                     std::to_string(width) + "x" + std::to_string(height), scale, white);
    return card;
}

}  // namespace frayline
