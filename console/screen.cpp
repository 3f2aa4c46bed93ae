// The text window: screen buffer, cursor, output, scrolling, colours,
// painting, title and the window's life cycle.
#include "console/console_state.h"

#include <algorithm>
#include <cmath>

namespace console {

namespace {

ConsoleState consoleState;

constexpr platform::Rgb Palette[16] = {
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {142, 0, 142},   {68, 34, 34},    {192, 192, 192},
    {128, 128, 128}, {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
    {255, 128, 128}, {255, 128, 255}, {255, 255, 0},   {255, 255, 255}};

platform::Rgb colourOf(uint8_t index) {
    const uint8_t entry = consoleState.remap[index & 15];
    return entry > 15 ? Palette[0] : Palette[entry];
}

int32_t windowWidth() {
    return consoleState.window.x2 - consoleState.window.x1 + 1;
}
int32_t windowHeight() {
    return consoleState.window.y2 - consoleState.window.y1 + 1;
}

size_t cellIndex(int32_t column, int32_t row) {
    return static_cast<size_t>(row) * Columns + static_cast<size_t>(column);
}

// Draws columns [a, b) of a row relative to the text window, in pieces of
// equal attribute, one text call per piece.
void drawRun(int32_t row, int32_t a, int32_t b) {
    if (b <= a || !consoleState.created)
        return;
    const int32_t absRow = consoleState.window.y1 + row;
    const int32_t first = consoleState.window.x1 + a;
    const int32_t end = consoleState.window.x1 + b;
    platform::beginDraw();
    for (int32_t c = first; c < end;) {
        const uint8_t attr = consoleState.attrs[cellIndex(c, absRow)];
        int32_t stop = c + 1;
        while (stop < end && consoleState.attrs[cellIndex(stop, absRow)] == attr)
            ++stop;
        platform::drawText(c * consoleState.font.aveCharWidth + consoleState.font.overhang,
                           absRow * (consoleState.font.height + consoleState.font.externalLeading),
                           &consoleState.chars[cellIndex(c, absRow)], static_cast<size_t>(stop - c),
                           colourOf(attr & 15), colourOf(attr >> 4));
        c = stop;
    }
    platform::endDraw();
}

void fillCells(int32_t row, int32_t fromColumn, int32_t toColumn) { // absolute, inclusive
    for (int32_t c = fromColumn; c <= toColumn; ++c) {
        consoleState.chars[cellIndex(c, row)] = ' ';
        consoleState.attrs[cellIndex(c, row)] = consoleState.textAttr;
    }
}

int32_t cellHeight() {
    return consoleState.font.height + consoleState.font.externalLeading;
}

bool pixelScrollPossible() {
    if (!consoleState.fastScroll || !platform::windowIsActive())
        return false;
    return platform::windowRect().bottom < platform::systemMetrics().cyScreen - 32;
}

void scrollTextWindow() {
    auto &s = consoleState;
    s.cursorY = windowHeight() - 1;
    for (int32_t r = s.window.y1; r < s.window.y2; ++r)
        for (int32_t c = s.window.x1; c <= s.window.x2; ++c) {
            s.chars[cellIndex(c, r)] = s.chars[cellIndex(c, r + 1)];
            s.attrs[cellIndex(c, r)] = s.attrs[cellIndex(c, r + 1)];
        }
    fillCells(s.window.y2, s.window.x1, s.window.x2);
    if (pixelScrollPossible()) {
        const int32_t cw = s.font.aveCharWidth, ch = cellHeight();
        platform::beginDraw();
        platform::scrollUp({s.window.x1 * cw, (s.window.y1 + 1) * ch, (s.window.x2 + 1) * cw,
                            (s.window.y2 + 1) * ch},
                           ch);
        platform::fillRect(
            {s.window.x1 * cw, s.window.y2 * ch, (s.window.x2 + 1) * cw, (s.window.y2 + 1) * ch},
            colourOf(s.textAttr >> 4));
        platform::endDraw();
    } else {
        platform::invalidateAll(false);
    }
    platform::updateWindow();
}

// Draws the pending range of the cursor's row and moves to the next row,
// scrolling the text window when the cursor leaves it.
void newLine(int32_t &left, int32_t &right) {
    drawRun(consoleState.cursorY, left, right);
    left = right = 0;
    if (++consoleState.cursorY == windowHeight())
        scrollTextWindow();
}

int32_t parseLeadingInt(const std::string &text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}

// The numbers of [VIDEO] are held to these ranges before use (the nearest
// end for a value outside): a colour index, and a font size in pixels, where
// 0 leaves the font its own size.
constexpr int32_t MaxColour = 15;
constexpr int32_t MaxFontSize = 400;

int32_t colourSetting(int32_t value) {
    return std::clamp(value, 0, MaxColour);
}

std::string configValue(const char *section, const char *key, const char *defaultValue) {
    return platform::profileString("ZEBUNA.INI", section, key, defaultValue, 80);
}

// A font size from the configuration; when absent, scaled from the size it
// has on a reference work area.
int32_t fontSizeSetting(const char *key, int32_t workSize, double referenceWork,
                        int32_t referenceSize) {
    const std::string value = configValue("VIDEO", key, "");
    if (!value.empty())
        return std::clamp(parseLeadingInt(value), 0, MaxFontSize);
    return static_cast<int32_t>(std::lround(workSize / referenceWork * referenceSize));
}

char upperFirst(const std::string &value, size_t index = 0) {
    if (index >= value.size())
        return '\0';
    const char c = value[index];
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string trimBlanks(const std::string &text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool parsesWhole(const std::string &text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    return i == text.size() && i > digits;
}

} // namespace

ConsoleState &state() {
    return consoleState;
}

// The colour list: "a,b,c": each entry up to the next comma, blanks trimmed.
// An entry that does not parse stores its leading number and ends the list.
void parseColourTable(const std::string &value, std::array<uint8_t, 16> &remap) {
    std::string rest = value + ",";
    for (int i = 0; i < 16; ++i) {
        const size_t comma = rest.find(',');
        if (comma == std::string::npos)
            return;
        // The entry is taken from the trimmed text, but its length from the
        // untrimmed comma position: a blank after a comma pulls the comma in.
        const std::string entry = trimBlanks(rest).substr(0, comma);
        remap[i] = static_cast<uint8_t>(colourSetting(parseLeadingInt(entry)));
        if (!parsesWhole(entry))
            return;
        rest.erase(0, comma + 1);
    }
}

void readWindowConfiguration() {
    auto &s = consoleState;
    parseColourTable(configValue("VIDEO", "TABCORES", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"),
                     s.remap);
    s.coloursChangeable = upperFirst(configValue("VIDEO", "CORESFIXAS", "N")) != 'S';
    s.fastScroll = upperFirst(configValue("VIDEO", "LENTO", "N")) == 'S';
    const int32_t background =
        colourSetting(parseLeadingInt(configValue("VIDEO", "CORFUNDO", "0")));
    const int32_t foreground =
        colourSetting(parseLeadingInt(configValue("VIDEO", "CORLETRA", "15")));
    s.textAttr = static_cast<uint8_t>(background * 16 + foreground);
    s.configuredBrailleMode = upperFirst(configValue("BRAILLE", "MODO", "0")) & 3;
    s.magnifierFactor = upperFirst(configValue("VIDEO", "AMPLIF", "2")) & 7;
    if (s.faceName.empty())
        s.faceName = configValue("VIDEO", "FONTE", "Lucida Console");
    const auto work = platform::systemMetrics().workArea;
    if (s.fontWidth == 0)
        s.fontWidth = fontSizeSetting("LARGURALETRA", work.right - work.left, 1024.0, 13);
    if (s.fontHeight == 0)
        s.fontHeight = fontSizeSetting("ALTURALETRA", work.bottom - work.top, 734.0, 28);
    // Any second character but "S" maximises: "SIM" and "NAO" both do; "NS" or
    // a one-letter value keeps the computed size.
    if (!s.startMaximised)
        s.startMaximised = upperFirst(configValue("VIDEO", "CANTOTELA", "SIM"), 1) != 'S';
}

void ensureWindow() {
    auto &s = consoleState;
    if (s.created)
        return;
    readWindowConfiguration();
    s.font = platform::createFont(s.faceName, s.fontHeight, s.fontWidth, s.fontWeight);
    s.fontCreated = true;
    const auto metrics = platform::systemMetrics();
    s.outerWidth = 80 * s.font.aveCharWidth + 2 * metrics.cxFrame;
    s.outerHeight = cellHeight() * Rows + 2 * metrics.cyFrame + metrics.cyCaption;
    if (!platform::createWindow(s.title, s.outerWidth, s.outerHeight, s.startMaximised))
        return;
    setBrailleMode(s.configuredBrailleMode);
}

void onCreate() {
    auto &s = consoleState;
    s.created = true;
    s.chars.fill(' ');
    s.attrs.fill(s.textAttr);
    s.window = TextWindow{};
}

void onDestroy() {
    auto &s = consoleState;
    s.cursorX = s.cursorY = 0;
    platform::postQuitMessage(0);
    s.created = false;
}

void fillMinMaxInfo(platform::MinMaxInfo &info) {
    const auto &s = consoleState;
    const auto m = platform::systemMetrics();
    info.maxWidth = std::min(Columns * s.font.aveCharWidth, m.cxScreen) + 2 * m.cxFrame;
    info.maxHeight = std::min(m.cyCaption + Rows * cellHeight(), m.cyScreen) + 2 * m.cyFrame;
    info.minTrackWidth = 16 * s.font.aveCharWidth + 2 * m.cxFrame;
    info.minTrackHeight = 4 * cellHeight() + 2 * m.cyFrame + m.cyCaption;
}

void paint(const platform::Rect &invalid) {
    auto &s = consoleState;
    const int32_t cw = std::max(1, s.font.aveCharWidth), ch = std::max(1, cellHeight());
    const int32_t firstColumn = std::max(0, invalid.left / cw);
    const int32_t endColumn = std::min(Columns, (invalid.right + cw - 1) / cw);
    const int32_t firstRow = std::max(0, invalid.top / ch);
    const int32_t endRow = std::min(Rows, (invalid.bottom + ch - 1) / ch);
    s.painting = true;
    platform::beginDraw();
    // The rows are drawn relative to the whole grid, whatever the text window.
    const TextWindow saved = s.window;
    s.window = TextWindow{};
    for (int32_t r = firstRow; r < endRow; ++r)
        drawRun(r, firstColumn, endColumn);
    s.window = saved;
    drawPictureAgain();
    platform::endDraw();
    s.painting = false;
}

void writeChars(const uint8_t *bytes, uint16_t count) {
    ensureWindow();
    auto &s = consoleState;
    if (!s.created)
        return;
    platform::trace::text(bytes, count, s.window.x1 + s.cursorX, s.window.y1 + s.cursorY,
                          s.textAttr);
    int32_t left = s.cursorX, right = s.cursorX;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t c = bytes[i];
        if (c == 7) {
            continue; // the bell has no sound of its own here
        } else if (c == 8) {
            if (s.cursorX > 0) {
                --s.cursorX;
                fillCells(s.window.y1 + s.cursorY, s.window.x1 + s.cursorX,
                          s.window.x1 + s.cursorX);
                left = std::min(left, s.cursorX);
            }
        } else if (c == 10) {
            newLine(left, right);
            s.cursorX = 0;
        } else if (c == 13) {
            s.cursorX = 0;
        } else if (c >= 32) {
            if (s.cursorX == windowWidth()) {
                s.cursorX = 0;
                newLine(left, right);
            }
            const size_t at = cellIndex(s.window.x1 + s.cursorX, s.window.y1 + s.cursorY);
            s.chars[at] = c;
            s.attrs[at] = s.textAttr;
            ++s.cursorX;
            right = std::max(right, s.cursorX);
        }
    }
    drawRun(s.cursorY, left, right);
}

void clearScreen() {
    ensureWindow();
    auto &s = consoleState;
    if (!s.created)
        return;
    for (int32_t r = s.window.y1; r <= s.window.y2; ++r)
        fillCells(r, s.window.x1, s.window.x2);
    s.cursorX = s.cursorY = 0;
    platform::invalidateAll(false);
    platform::updateWindow();
}

void clearEol() {
    ensureWindow();
    auto &s = consoleState;
    if (!s.created)
        return;
    fillCells(s.window.y1 + s.cursorY, s.window.x1 + s.cursorX, s.window.x2);
    drawRun(s.cursorY, s.cursorX, windowWidth());
}

void gotoXY(int32_t x, int32_t y) {
    auto &s = consoleState;
    s.cursorX = std::max(0, std::min(x - 1, s.window.x2 - s.window.x1));
    s.cursorY = std::max(0, std::min(y - 1, s.window.y2 - s.window.y1));
}

int32_t whereX() {
    return consoleState.cursorX + 1;
}
int32_t whereY() {
    return consoleState.cursorY + 1;
}

void setWindow(uint8_t x1, uint8_t y1, uint8_t x2, uint8_t y2) {
    auto &s = consoleState;
    s.window = TextWindow{x1 - 1, y1 - 1, x2 - 1, y2 - 1};
    s.cursorX = s.cursorY = 0;
}

void textBackground(uint8_t colour) {
    ensureWindow();
    auto &s = consoleState;
    if (s.coloursChangeable)
        s.textAttr = static_cast<uint8_t>((s.textAttr & 15) | (colour << 4));
}

void setTitle(const std::string &text) {
    std::string title = trimBlanks(text);
    if (title.size() > 140)
        title = title.substr(0, 140) + "...";
    consoleState.title = title;
    platform::setWindowTitle(title);
}

void setExitCode(int32_t code) {
    consoleState.exitCode = code;
}

void doneConsole() {
    while (keyPressed())
        readKey();
    auto &s = consoleState;
    if (s.fontCreated) {
        platform::deleteFont();
        s.fontCreated = false;
    }
    platform::detachWindowProc();
    platform::destroyWindow();
    s.created = false;
    platform::exitProcess(s.exitCode);
}

int32_t windowOuterWidth() {
    return consoleState.outerWidth;
}
int32_t windowOuterHeight() {
    return consoleState.outerHeight;
}

uint8_t cellChar(int column, int row) {
    return consoleState.chars[cellIndex(column, row)];
}
uint8_t cellAttr(int column, int row) {
    return consoleState.attrs[cellIndex(column, row)];
}

} // namespace console
