// PNG files of 24-bit RGB pixels, written without compression (stored
// deflate blocks): enough for the few small icons the package installs.
#pragma once

#include "console/bmp_decoder.h"

#include <cstdint>
#include <string>

namespace appicon {

using Image = console::Picture;

// The square `side` x `side` region of `source` at (x, y), scaled to `size` x
// `size` by averaging the source pixels each target pixel covers. Where the
// square lies beyond the source, it takes the colour of the source's first
// pixel (the background of a picture drawn on one).
Image scaleSquare(const Image &source, int32_t x, int32_t y, int32_t side, int32_t size);

// The whole PNG file: signature, IHDR, one IDAT, IEND.
std::string pngFile(const Image &image);

} // namespace appicon
