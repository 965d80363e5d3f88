#include "tools/ContactSheet.h"

#include <algorithm>

#include "tools/BitmapFont.h"

namespace frayline {
namespace {

constexpr uint32_t MaximumColumns = 5;
constexpr uint32_t Gap = 8;    // around and between tiles
constexpr int LabelScale = 2;  // sheet pixels per font pixel, where the label fits
constexpr uint32_t LabelHeight = BitmapFont::CellHeight * LabelScale + 6;

void Copy(const Image& picture, Image& sheet, uint32_t left, uint32_t top)
{
    for (uint32_t y = 0; y < picture.height; ++y)
        std::copy(picture.Pixel(0, y), picture.Pixel(0, y) + std::size_t(picture.width) * 4,
                  sheet.Pixel(left, top + y));
}

}  // namespace

Image ContactSheet::Shrink(const Image& picture, uint32_t factor)
{
    if (factor <= 1)
        return picture;
    Image small(std::max(1u, picture.width / factor), std::max(1u, picture.height / factor));
    for (uint32_t y = 0; y < small.height; ++y)
        for (uint32_t x = 0; x < small.width; ++x) {
            uint64_t sum[4] = {0, 0, 0, 0};
            uint32_t count = 0;
            for (uint32_t dy = 0; dy < factor && y * factor + dy < picture.height; ++dy)
                for (uint32_t dx = 0; dx < factor && x * factor + dx < picture.width; ++dx) {
                    const uint8_t* p = picture.Pixel(x * factor + dx, y * factor + dy);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += uint64_t(p[c]) * p[3];
                    sum[3] += p[3];
                    ++count;
                }
            uint8_t* out = small.Pixel(x, y);
            for (int c = 0; c < 3; ++c)
                out[c] = sum[3] ? uint8_t((sum[c] + sum[3] / 2) / sum[3]) : 0;
            out[3] = uint8_t((sum[3] + count / 2) / count);
        }
    return small;
}

Image ContactSheet::Compose(const std::vector<Tile>& tiles)
{
    if (tiles.empty())
        return Image();
    const uint32_t rows = (uint32_t(tiles.size()) + MaximumColumns - 1) / MaximumColumns;
    const uint32_t columns = (uint32_t(tiles.size()) + rows - 1) / rows;

    std::vector<Image> pictures;
    uint32_t cellWidth = 0, cellHeight = 0;
    for (const Tile& tile : tiles) {
        const uint32_t factor = (tile.picture.width + TileWidth - 1) / TileWidth;
        pictures.push_back(Shrink(tile.picture, factor));
        cellWidth = std::max(cellWidth, pictures.back().width);
        cellHeight = std::max(cellHeight, pictures.back().height);
        // Small pictures still get a readable label, at least at half size.
        cellWidth = std::max(cellWidth, uint32_t(BitmapFont::TextWidth(tile.label, 1)));
    }

    Image sheet(Gap + columns * (cellWidth + Gap), Gap + rows * (cellHeight + LabelHeight + Gap));
    const uint8_t background[4] = {16, 16, 18, 255};
    const uint8_t ink[4] = {235, 235, 235, 255};
    for (std::size_t i = 0; i < sheet.rgba.size(); i += 4)
        std::copy(background, background + 4, &sheet.rgba[i]);

    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const uint32_t left = Gap + uint32_t(i % columns) * (cellWidth + Gap);
        const uint32_t top = Gap + uint32_t(i / columns) * (cellHeight + LabelHeight + Gap);
        Copy(pictures[i], sheet, left, top);
        const int scale =
            BitmapFont::TextWidth(tiles[i].label, LabelScale) <= int(cellWidth) ? LabelScale : 1;
        BitmapFont::Draw(sheet, int(left), int(top + cellHeight + 4), tiles[i].label, scale, ink);
    }
    return sheet;
}

}  // namespace frayline
