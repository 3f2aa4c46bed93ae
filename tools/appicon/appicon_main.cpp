// appicon: the desktop icon, a square part of the title picture scaled to
// an icon size and written as PNG; beyond the picture's edges the square
// takes its background colour.
//   appicon TITLE.bmp X Y SIDE SIZE OUT.png
#include "tools/appicon/png_writer.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char **argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: appicon TITLE.bmp X Y SIDE SIZE OUT.png\n");
        return 2;
    }
    console::Picture picture;
    if (console::loadBmpFile(argv[1], picture) != console::BmpResult::Decoded) {
        std::fprintf(stderr, "appicon: cannot read the picture %s\n", argv[1]);
        return 1;
    }
    const int32_t x = std::atoi(argv[2]), y = std::atoi(argv[3]), side = std::atoi(argv[4]),
                  size = std::atoi(argv[5]);
    if (side <= 0 || size <= 0 || x >= picture.width || y >= picture.height || x + side <= 0 ||
        y + side <= 0) {
        std::fprintf(stderr, "appicon: the square lies outside the %d x %d picture\n",
                     picture.width, picture.height);
        return 1;
    }
    const std::string png = appicon::pngFile(appicon::scaleSquare(picture, x, y, side, size));
    std::ofstream out(argv[6], std::ios::binary);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "appicon: cannot write %s\n", argv[6]);
        return 1;
    }
    return 0;
}
