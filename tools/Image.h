#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace frayline {

// A picture as files hold it: width * height RGBA pixels, 8 bits a channel,
// straight (not premultiplied) alpha, row 0 at the top.
//
// GL has row 0 at the bottom; UprightRows() and the upload helpers of the
// renderer turn one order into the other, so that a picture reaches the
// plugin the way a host shows it: its top row at t = 1.
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;

    Image() = default;
    Image(uint32_t width, uint32_t height);

    uint8_t* Pixel(uint32_t x, uint32_t y) { return &rgba[(std::size_t(y) * width + x) * 4]; }
    const uint8_t* Pixel(uint32_t x, uint32_t y) const
    {
        return &rgba[(std::size_t(y) * width + x) * 4];
    }
};

// The same rows in the opposite order: file order to GL order and back.
std::vector<uint8_t> FlipRows(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);

// Reads a PNG file of any colour type and depth: grey, grey+alpha, RGB,
// RGBA and palette (with or without transparency), 1 to 16 bits, interlaced
// or not. 16-bit channels are rounded to 8 bits; pixels without alpha come
// out opaque. Values are taken as stored: no gamma conversion.
// Throws HostError: "cannot read <path>: <reason>".
Image ReadPng(const std::string& path);

// Writes an 8-bit RGBA PNG. The file appears whole or not at all: it is
// written beside its final name and renamed into place.
// Throws HostError: "cannot write <path>: <reason>".
void WritePng(const std::string& path, const Image& image);

}  // namespace frayline
