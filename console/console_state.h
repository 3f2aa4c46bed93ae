// The console's module state, shared by its source files. One instance.
#pragma once

#include "console/bmp_decoder.h"
#include "console/console.h"
#include "platform/platform.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace console {

constexpr int KeyQueueCapacity = 64;
constexpr int CellCount = Columns * Rows;

struct TextWindow {
    int32_t x1 = 0, y1 = 0, x2 = Columns - 1, y2 = Rows - 1; // 0-based, inclusive
};

struct BrailleState {
    int32_t mode = 0;
    uint8_t chord = 0;
    uint8_t held = 0;
    bool capitalNext = false;
    bool capsLock = false;
    bool numberMode = false;
};

struct ConsoleState {
    // geometry and cursor
    int32_t outerWidth = 648, outerHeight = 480;
    int32_t cursorX = 0, cursorY = 0;
    TextWindow window;
    platform::FontMetrics font;
    bool fontCreated = false;

    // screen buffer, allocated while the window exists
    bool created = false;
    bool painting = false;
    std::array<uint8_t, CellCount> chars{};
    std::array<uint8_t, CellCount> attrs{};
    uint8_t textAttr = 15;
    std::array<uint8_t, 16> remap{};

    // configuration
    bool coloursChangeable = true;
    bool fastScroll = false;
    bool startMaximised = false;
    int32_t configuredBrailleMode = 0;
    int32_t magnifierFactor = 2;
    std::string faceName;
    int32_t fontHeight = 0, fontWidth = 0, fontWeight = 0;
    std::string title;
    int32_t exitCode = 0; // what doneConsole ends the process with

    // keyboard
    std::array<uint8_t, KeyQueueCapacity> keys{};
    int32_t keyCount = 0;
    bool focused = false;
    bool reading = false;
    bool breakChecking = true;
    BrailleState braille;
    WaveDoneHandler waveDone = nullptr;

    // tones
    std::vector<uint8_t> toneBuffer;

    // the picture slot; its size stays known after it is hidden
    Picture picture;
    bool pictureLoaded = false;
    int32_t pictureX = 0, pictureY = 0;
    int32_t pictureWidth = 0, pictureHeight = 0;

    // the magnifier, active while the right button is held
    bool magnifying = false;
};

ConsoleState &state();

// Shared steps between the console's source files.
void ensureWindow();
bool windowProcedure(const platform::Message &msg);
void paint(const platform::Rect &invalid);
void onCreate();
void onDestroy();
void fillMinMaxInfo(platform::MinMaxInfo &info);
[[noreturn]] void endProgram(int32_t code);
void readWindowConfiguration();
void drawPictureAgain();
void magnifierStart(int32_t x, int32_t y);
void magnifierMove(int32_t x, int32_t y);
void magnifierEnd();
// The part of the window the magnifier enlarges around the mouse at (x, y).
platform::Rect magnifierSource(int32_t x, int32_t y, int32_t factor, int32_t outerWidth,
                               int32_t outerHeight);
void parseColourTable(const std::string &value, std::array<uint8_t, 16> &remap);

} // namespace console
