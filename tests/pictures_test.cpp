#include "console/console.h"
#include "console/console_state.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

// A 24-bit BMP of the given size, all one colour.
std::string solidBmp(uint32_t width, uint32_t height) {
    const uint32_t rowBytes = (width * 24 + 31) / 32 * 4;
    std::string out(54, '\0');
    const auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    out[0] = 'B';
    out[1] = 'M';
    put(10, 54);
    put(14, 40);
    put(18, width);
    put(22, height);
    out[26] = 1;
    out[28] = 24;
    out += std::string(rowBytes * height, '\x40');
    put(2, static_cast<uint32_t>(out.size()));
    return out;
}

class PicturesTest : public ::testing::Test {
protected:
    void start(const std::string &ini = "") {
        test_support::writeFile(dir.file("ZEBUNA.INI"), ini);
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
        console::clearScreen();
    }
    test_support::TempDir dir;
};

TEST_F(PicturesTest, ShownDrawnAgainOnPaintAndHidden) {
    start();
    test_support::writeFile(dir.file("a.bmp"), solidBmp(200, 100));
    ASSERT_TRUE(console::loadPicture(dir.file("a.bmp")));
    console::showPicture(224, 10);
    EXPECT_EQ(test_support::transcriptLines("picture"),
              (std::vector<std::string>{"200x100 at 224,10"}));
    console::clearScreen(); // repaints the window: the picture stays on top
    EXPECT_EQ(test_support::transcriptLines("picture").size(), 2u);
    console::hidePicture();
    console::clearScreen();
    EXPECT_EQ(test_support::transcriptLines("picture").size(), 2u);
    EXPECT_EQ(console::pictureWidth(), 200);
}

TEST_F(PicturesTest, AFailedLoadKeepsThePreviousPicture) {
    start();
    test_support::writeFile(dir.file("a.bmp"), solidBmp(3, 2));
    test_support::writeFile(dir.file("bad.bmp"), solidBmp(5, 5).substr(0, 60));
    ASSERT_TRUE(console::loadPicture(dir.file("a.bmp")));
    EXPECT_FALSE(console::loadPicture(dir.file("bad.bmp")));
    EXPECT_FALSE(console::loadPicture(dir.file("missing.bmp")));
    EXPECT_EQ(console::pictureWidth(), 3);
    console::showPicture(1, 1);
    EXPECT_EQ(test_support::transcriptLines("picture"), (std::vector<std::string>{"3x2 at 1,1"}));
}

TEST(Magnifier, SourceRectangleKeepsThePointUnderTheMouse) {
    const auto r = console::magnifierSource(100, 60, 2, 648, 480);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 324);
    EXPECT_EQ(r.bottom - r.top, 240);
    const auto corner = console::magnifierSource(0, 0, 4, 648, 480);
    EXPECT_EQ(corner.left, 0);
    EXPECT_EQ(corner.top, 0);
}

TEST_F(PicturesTest, FactorZeroOrOneMeansNoMagnification) {
    for (const char *factor : {"0", "1", "2"}) {
        start(std::string("[VIDEO]\r\nAMPLIF=") + factor + "\r\n");
        console::magnifierStart(100, 60);
        EXPECT_EQ(console::state().magnifying, factor[0] == '2') << factor;
        console::magnifierEnd();
        EXPECT_FALSE(console::state().magnifying);
    }
}

} // namespace
