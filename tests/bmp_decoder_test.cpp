#include "console/bmp_decoder.h"

#include <gtest/gtest.h>

namespace {

using console::BmpResult;

void put(std::string &out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A BMP file: 14-byte file header, info header of `infoSize` bytes, colour
// table, then the rows as given (already padded, bottom row first).
std::string bmp(uint32_t width, uint32_t height, uint16_t bits, uint32_t colourCount,
                const std::vector<uint32_t> &table, const std::string &rows,
                uint32_t infoSize = 40) {
    std::string out(14 + infoSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    put(out, 14, infoSize, 4);
    put(out, 18, width, 4);
    put(out, 22, height, 4);
    put(out, 26, 1, 2);
    put(out, 28, bits, 2);
    put(out, 46, colourCount, 4);
    for (const uint32_t colour : table) {
        std::string entry(4, '\0');
        put(entry, 0, colour, 4);
        out += entry;
    }
    put(out, 10, static_cast<uint32_t>(out.size()), 4);
    out += rows;
    put(out, 2, static_cast<uint32_t>(out.size()), 4);
    return out;
}

std::vector<uint32_t> greys(size_t count) {
    std::vector<uint32_t> table;
    for (size_t i = 0; i < count; ++i)
        table.push_back(static_cast<uint32_t>(i * 0x010101));
    return table;
}

TEST(BmpDecoder, EveryDepth) {
    struct Case {
        const char *name;
        std::string file;
        std::vector<uint32_t> topRowFirst;
    } cases[] = {
        // 2 x 2, bottom row stored first.
        {"1-bit",
         bmp(2, 2, 1, 2, {0x000000, 0xFFFFFF}, std::string("\x40\0\0\0\x80\0\0\0", 8)),
         {0xFFFFFF, 0, 0, 0xFFFFFF}},
        {"4-bit", bmp(2, 1, 4, 16, greys(16), std::string("\x3A\0\0\0", 4)), {0x030303, 0x0A0A0A}},
        {"8-bit, count 0",
         bmp(2, 1, 8, 0, greys(256), std::string("\x05\xFE\0\0", 4)),
         {0x050505, 0xFEFEFE}},
        {"16-bit", bmp(1, 1, 16, 0, {}, std::string("\x1F\x7C\0\0", 4)), {0xFF00FF}},
        {"24-bit, 3 wide",
         bmp(3, 1, 24, 0, {}, std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\0\0\0", 12)),
         {0x030201, 0x060504, 0x090807}},
        {"32-bit", bmp(1, 1, 32, 0, {}, std::string("\x10\x20\x30\x00", 4)), {0x302010}},
    };
    for (const auto &c : cases) {
        console::Picture picture;
        ASSERT_EQ(console::decodeBmp(c.file, picture), BmpResult::Decoded) << c.name;
        EXPECT_EQ(picture.pixels, c.topRowFirst) << c.name;
    }
}

TEST(BmpDecoder, ColourCountSixteenReadsSixteenEntries) {
    // 8-bit with a 16-entry table: the pixels start right after 64 bytes.
    console::Picture picture;
    const auto file = bmp(1, 1, 8, 16, greys(16), std::string("\x0F\0\0\0", 4));
    ASSERT_EQ(console::decodeBmp(file, picture), BmpResult::Decoded);
    EXPECT_EQ(picture.pixels[0], 0x0F0F0Fu);
    // An index beyond the table is black.
    const auto beyond = bmp(1, 1, 8, 16, greys(16), std::string("\x20\0\0\0", 4));
    ASSERT_EQ(console::decodeBmp(beyond, picture), BmpResult::Decoded);
    EXPECT_EQ(picture.pixels[0], 0u);
}

TEST(BmpDecoder, RefusesWhatItCannotShowAndKeepsThePicture) {
    console::Picture picture;
    picture.width = 7;
    const std::string good = bmp(3, 1, 24, 0, {}, std::string(12, '\x11'));
    struct Case {
        const char *name;
        std::string file;
        BmpResult result;
    } cases[] = {
        {"108-byte header", bmp(3, 1, 24, 0, {}, std::string(12, '\x11'), 108),
         BmpResult::WrongHeader},
        {"124-byte header", bmp(3, 1, 24, 0, {}, std::string(12, '\x11'), 124),
         BmpResult::WrongHeader},
        {"truncated pixels", good.substr(0, good.size() - 1), BmpResult::CannotMake},
        {"truncated header", good.substr(0, 30), BmpResult::CannotMake},
        {"empty", "", BmpResult::WrongHeader},
        {"absurd size", bmp(65535, 65535, 32, 0, {}, ""), BmpResult::CannotMake},
        {"zero width", bmp(0, 1, 24, 0, {}, ""), BmpResult::CannotMake},
        {"2-bit", bmp(1, 1, 2, 0, greys(4), std::string(4, '\0')), BmpResult::CannotMake},
        {"missing table", bmp(1, 1, 8, 0, greys(3), std::string(4, '\0')), BmpResult::CannotMake},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(console::decodeBmp(c.file, picture), c.result) << c.name;
        EXPECT_EQ(picture.width, 7) << c.name;
    }
}

} // namespace
