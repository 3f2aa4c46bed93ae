// The desktop icon's PNG writer and scaling (tools/appicon), the file read
// back with zlib.
#include "tools/appicon/png_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

using appicon::Image;

uint32_t big(const std::string &s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}

// Reads a PNG of 8-bit RGB rows without filters, checking every chunk's CRC.
Image readPng(const std::string &file) {
    Image image;
    EXPECT_EQ(file.substr(0, 8), "\x89PNG\r\n\x1a\n");
    std::string idat;
    bool ended = false;
    for (size_t at = 8; at + 12 <= file.size() && !ended;) {
        const uint32_t length = big(file, at);
        const std::string type = file.substr(at + 4, 4);
        const std::string data = file.substr(at + 8, length);
        const auto *typed = reinterpret_cast<const Bytef *>(file.data() + at + 4);
        EXPECT_EQ(crc32(0, typed, length + 4), big(file, at + 8 + length)) << type;
        if (type == "IHDR") {
            image.width = int32_t(big(data, 0));
            image.height = int32_t(big(data, 4));
            EXPECT_EQ(data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
        } else if (type == "IDAT") {
            idat += data;
        }
        ended = type == "IEND";
        at += 12 + length;
    }
    EXPECT_TRUE(ended);
    const size_t rowBytes = size_t(image.width) * 3 + 1;
    std::vector<Bytef> rows(rowBytes * size_t(image.height));
    uLongf size = rows.size();
    EXPECT_EQ(
        uncompress(rows.data(), &size, reinterpret_cast<const Bytef *>(idat.data()), idat.size()),
        Z_OK);
    EXPECT_EQ(size, rows.size());
    for (int32_t y = 0; y < image.height; ++y) {
        const Bytef *row = rows.data() + size_t(y) * rowBytes;
        EXPECT_EQ(row[0], 0) << "filter of row " << y;
        for (int32_t x = 0; x < image.width; ++x)
            image.pixels.push_back(uint32_t(row[1 + 3 * x]) << 16 | uint32_t(row[2 + 3 * x]) << 8 |
                                   row[3 + 3 * x]);
    }
    return image;
}

TEST(AppIcon, PngReadsBackAsWritten) {
    // 200 x 120 pixels: more than one stored deflate block of 65535 bytes.
    Image image{200, 120, {}};
    for (int32_t i = 0; i < 200 * 120; ++i)
        image.pixels.push_back(uint32_t(i) * 2654435761u & 0xFFFFFF);
    const Image back = readPng(appicon::pngFile(image));
    EXPECT_EQ(back.width, 200);
    EXPECT_EQ(back.height, 120);
    EXPECT_EQ(back.pixels, image.pixels);
}

TEST(AppIcon, ScalingAveragesThePixelsEachIconPixelCovers) {
    // Four 2 x 2 blocks, the top right one of two colours.
    const Image source{4,
                       4,
                       {0x000000, 0x000000, 0xFF0000, 0x0000FF, 0x000000, 0x000000, 0x0000FF,
                        0xFF0000, 0x00FF00, 0x00FF00, 0xFFFFFF, 0xFFFFFF, 0x00FF00, 0x00FF00,
                        0xFFFFFF, 0xFFFFFF}};
    EXPECT_EQ(appicon::scaleSquare(source, 0, 0, 4, 2).pixels,
              (std::vector<uint32_t>{0x000000, 0x800080, 0x00FF00, 0xFFFFFF}));
    // Enlarged, each source pixel covers several.
    const Image up = appicon::scaleSquare(source, 2, 2, 2, 4);
    EXPECT_EQ(up.pixels, std::vector<uint32_t>(16, 0xFFFFFF));
    // Beyond the edges: the first pixel's colour.
    EXPECT_EQ(appicon::scaleSquare(source, -2, 2, 4, 2).pixels,
              (std::vector<uint32_t>{0x000000, 0x00FF00, 0x000000, 0x000000}));
}

} // namespace
