#include "console/console.h"
#include "console/console_state.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

using test_support::TempDir;

class ConsoleTest : public ::testing::Test {
protected:
    void start(const std::string &keys = "", const std::string &ini = "") {
        test_support::writeFile(dir.file("ZEBUNA.INI"), ini);
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
    }
    std::string row(int r, int from = 0, int count = console::Columns) {
        std::string text;
        for (int c = from; c < from + count; ++c)
            text += static_cast<char>(console::cellChar(c, r));
        return text;
    }
    std::vector<int> readKeys(size_t count) {
        std::vector<int> keys;
        while (keys.size() < count)
            keys.push_back(console::readKey());
        return keys;
    }
    TempDir dir;
};

TEST_F(ConsoleTest, WrapIsDeferredUntilTheNextPrintableCharacter) {
    start();
    console::write(std::string(80, 'x'));
    EXPECT_EQ(console::whereX(), 81);
    EXPECT_EQ(console::whereY(), 1);
    console::write("\r");
    EXPECT_EQ(console::whereX(), 1);
    EXPECT_EQ(console::whereY(), 1);
    console::gotoXY(80, 1);
    console::write("ab");
    EXPECT_EQ(console::whereY(), 2);
    EXPECT_EQ(row(0, 79, 1), "a");
    EXPECT_EQ(row(1, 0, 1), "b");
}

TEST_F(ConsoleTest, LineFeedOnTheLastRowScrollsOnlyTheTextWindow) {
    start();
    console::clearScreen();
    console::gotoXY(70, 1);
    console::write("outside");
    console::setWindow(1, 1, 49, 3);
    console::writeLine("one");
    console::writeLine("two");
    console::write("three\r\n");
    EXPECT_EQ(row(0, 0, 5), "two  ");
    EXPECT_EQ(row(1, 0, 5), "three");
    EXPECT_EQ(row(2, 0, 5), "     ");
    EXPECT_EQ(row(0, 69, 7), "outside");
    EXPECT_EQ(console::whereY(), 3);
}

TEST_F(ConsoleTest, BackspaceTabAndBellControls) {
    start();
    console::write("\b");
    EXPECT_EQ(console::whereX(), 1);
    console::write("ab\b");
    EXPECT_EQ(console::whereX(), 2);
    EXPECT_EQ(row(0, 0, 2), "a ");
    console::write("\t\a");
    EXPECT_EQ(console::whereX(), 2);
}

TEST_F(ConsoleTest, GotoClampsIntoTheTextWindow) {
    start();
    console::setWindow(10, 5, 20, 8);
    struct Case {
        int x, y, wantX, wantY;
    } cases[] = {{0, 0, 1, 1}, {200, 200, 11, 4}, {3, 2, 3, 2}, {-5, 4, 1, 4}};
    for (const auto &c : cases) {
        console::gotoXY(c.x, c.y);
        EXPECT_EQ(console::whereX(), c.wantX) << c.x;
        EXPECT_EQ(console::whereY(), c.wantY) << c.y;
    }
}

TEST_F(ConsoleTest, BackgroundColourAndFixedColours) {
    start("", "[VIDEO]\r\nCORFUNDO=2\r\nCORLETRA=14\r\n");
    console::textBackground(1);
    console::write("x");
    EXPECT_EQ(console::cellAttr(0, 0), 0x1E);

    start("", "[VIDEO]\r\nCORESFIXAS=sim\r\nCORFUNDO=2\r\nCORLETRA=14\r\n");
    console::textBackground(1);
    console::write("x");
    EXPECT_EQ(console::cellAttr(0, 0), 0x2E);
}

// Colours out of 0..15 are the nearest end: the foreground never spills
// into the background (-1 would have been white on white).
TEST_F(ConsoleTest, ColoursAreHeldTo0To15) {
    struct Case {
        const char *video;
        uint8_t attr;
    } cases[] = {
        {"CORFUNDO=1\r\nCORLETRA=14", 0x1E},     {"CORFUNDO=0\r\nCORLETRA=-1", 0x00},
        {"CORFUNDO=2\r\nCORLETRA=16", 0x2F},     {"CORFUNDO=99999999999\r\nCORLETRA=7", 0xF7},
        {"CORFUNDO=-300\r\nCORLETRA=300", 0x0F},
    };
    for (const auto &c : cases) {
        start("", std::string("[VIDEO]\r\n") + c.video + "\r\n");
        console::write("x");
        EXPECT_EQ(console::cellAttr(0, 0), c.attr) << c.video;
    }
}

// A font size out of 0..400 pixels is the nearest end.
TEST_F(ConsoleTest, FontSizesAreHeldTo0To400) {
    struct Case {
        const char *video;
        int32_t width, height;
    } cases[] = {
        {"LARGURALETRA=13\r\nALTURALETRA=28", 13, 28},
        {"LARGURALETRA=2147483647\r\nALTURALETRA=401", 400, 400},
        {"LARGURALETRA=-5\r\nALTURALETRA=-2147483648", 0, 0},
    };
    for (const auto &c : cases) {
        console::state().fontWidth = console::state().fontHeight = 0;
        start("", std::string("[VIDEO]\r\n") + c.video + "\r\n");
        console::write("x");
        EXPECT_EQ(console::state().fontWidth, c.width) << c.video;
        EXPECT_EQ(console::state().fontHeight, c.height) << c.video;
    }
}

TEST(ColourTable, ParsesUntilTheFirstBadEntry) {
    struct Case {
        const char *value;
        std::array<uint8_t, 4> firstFour;
    } cases[] = {
        {"4,2", {4, 2, 2, 3}},    {"4, 2, 9", {4, 2, 2, 3}}, {"0,1,2,3", {0, 1, 2, 3}},
        {"300,x", {15, 0, 2, 3}}, {"", {0, 1, 2, 3}},        {"-1,16,7", {0, 15, 7, 3}},
    };
    for (const auto &c : cases) {
        std::array<uint8_t, 16> remap{};
        for (uint8_t i = 0; i < 16; ++i)
            remap[i] = i;
        console::parseColourTable(c.value, remap);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(remap[i], c.firstFour[i]) << c.value << " entry " << i;
    }
}

TEST_F(ConsoleTest, TitleIsTrimmedAndCutAt140) {
    start();
    console::setTitle("  " + std::string(141, 't') + "  ");
    const auto titles = test_support::transcriptLines("title");
    ASSERT_FALSE(titles.empty());
    EXPECT_EQ(titles.back(), std::string(140, 't') + "...");
}

TEST_F(ConsoleTest, ExtendedAndAltKeyCodes) {
    start("{F1}{CTRL+F1}{SHIFT+INSERT}{CTRL+INSERT}{CTRL+DELETE}{CTRL+UP}{CTRL+ALT+A}"
          "{CTRL+ALT+0}{ESC}{ENTER}{CTRL+ENTER}{BACKSPACE}{CTRL+BACKSPACE}{CTRL+C}x");
    const std::vector<int> want = {0, 59, 0, 94,  0,  254, 0,  255, 0,   83, 0,  113,
                                   0, 30, 0, 129, 27, 13,  10, 8,   127, 3,  'x'};
    EXPECT_EQ(readKeys(want.size()), want);
}

TEST_F(ConsoleTest, FullQueueDropsKeysWhole) {
    std::string script;
    for (int i = 0; i < 65; ++i)
        script += "{AT 0}a";
    start(script);
    console::keyPressed();
    EXPECT_EQ(console::state().keyCount, 64);

    script.clear();
    for (int i = 0; i < 63; ++i)
        script += "{AT 0}a";
    start(script + "{AT 0}{F1}");
    console::keyPressed();
    EXPECT_EQ(console::state().keyCount, 63);
}

TEST_F(ConsoleTest, BrailleChordsInPlainMode) {
    start("{KEYDOWN F}{KEYDOWN D}{KEYUP D}{KEYUP F}"
          "{KEYDOWN F}{KEYUP F}{KEYDOWN D}{KEYUP D}"
          "{KEYDOWN A}{KEYUP A}"
          "{KEYDOWN SPACE}{KEYDOWN F}{KEYDOWN D}{KEYUP SPACE}{KEYUP F}{KEYUP D}"
          "1",
          "[BRAILLE]\r\nMODO=1\r\n");
    const std::vector<int> want = {'b', 'a', ',', ' ', 2, '1'};
    EXPECT_EQ(readKeys(want.size()), want);
    EXPECT_EQ(test_support::transcriptLines("tone"), (std::vector<std::string>{"800", "1600"}));
}

TEST_F(ConsoleTest, BrailleNumberAndCapitalSigns) {
    const std::string number = "{KEYDOWN S}{KEYDOWN J}{KEYDOWN K}{KEYDOWN L}"
                               "{KEYUP S}{KEYUP J}{KEYUP K}{KEYUP L}";
    const std::string capital = "{KEYDOWN J}{KEYDOWN L}{KEYUP J}{KEYUP L}";
    const std::string dot1 = "{KEYDOWN F}{KEYUP F}";
    const std::string dots12 = "{KEYDOWN F}{KEYDOWN D}{KEYUP F}{KEYUP D}";
    const std::string space = "{KEYDOWN SPACE}{KEYUP SPACE}";
    start(number + dot1 + dots12 + space + capital + dot1 + dot1 + capital + capital + dot1 +
              dots12 + space + dot1,
          "[BRAILLE]\r\nMODO=2\r\n");
    const std::vector<int> want = {'1', '2', ' ', 'A', 'a', 'A', 'B', ' ', 'a'};
    EXPECT_EQ(readKeys(want.size()), want);
}

TEST_F(ConsoleTest, BrailleModeSwitchesWithTones) {
    start("{CTRL+ALT+F11}{CTRL+ALT+F11}{CTRL+ALT+F11}{CTRL+ALT+F12}x");
    console::readKey();
    EXPECT_EQ(test_support::transcriptLines("tone"),
              (std::vector<std::string>{"800", "1600", "800", "400", "800", "1600", "100"}));
    EXPECT_EQ(console::brailleMode(), 0);
}

TEST_F(ConsoleTest, ReadLineKeepsAtMostCapacityMinusTwo) {
    start(std::string(130, 'k') + "{BACKSPACE}{ENTER}");
    uint8_t buffer[128];
    const uint16_t length = console::readLine(buffer, sizeof buffer);
    EXPECT_EQ(length, 127);
    EXPECT_EQ(buffer[124], 'k');
    EXPECT_EQ(buffer[125], 13);
    EXPECT_EQ(buffer[126], 10);
}

TEST_F(ConsoleTest, ClosingAndBreakingEndTheProgram) {
    start("{ALT+F4}");
    EXPECT_EQ(test_support::exitCodeOf([] { console::readKey(); }), 0);
    start("{CTRL+BREAK}");
    EXPECT_EQ(test_support::exitCodeOf([] { console::readKey(); }), 255);
}

TEST(Tone, SquareWaveLayout) {
    // 800 Hz: period 13 samples, low half 6 + 1 bytes at each period start.
    console::moduleStart();
    console::beepTone(800);
    const auto &buffer = console::state().toneBuffer;
    ASSERT_EQ(buffer.size(), 11071u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 4), "RIFF");
    EXPECT_EQ(buffer[44], 96);
    EXPECT_EQ(buffer[44 + 6], 160);
    EXPECT_EQ(buffer[44 + 13], 96); // the next period starts at 44 + 11025 / 800
    const uint32_t dataLength = buffer[40] | buffer[41] << 8 | buffer[42] << 16;
    EXPECT_EQ(buffer[44 + dataLength - 1], 128);
    console::stopTone();
    EXPECT_TRUE(console::state().toneBuffer.empty());
}

} // namespace
