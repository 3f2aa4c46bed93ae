// PNG files of 24-bit RGB pixels, written without compression (stored
// deflate blocks): enough for the few small icons the package installs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace appicon {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, row-major, top row first
};

// The square `side` x `side` region of `source` at (x, y), scaled to `size` x
// `size` by averaging the source pixels each target pixel covers. Where the
// square lies beyond the source, it takes the colour of the source's first
// pixel (the background of a picture drawn on one).
Image scaleSquare(const Image &source, int32_t x, int32_t y, int32_t side, int32_t size);

// The whole PNG file: signature, IHDR, one IDAT, IEND.
std::string pngFile(const Image &image);

} // namespace appicon
