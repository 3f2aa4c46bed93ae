// Keyboard input: the window procedure, the key queue with its extended and
// Alt codes, the six-key Braille mode, and the message pumps.
#include "console/console_state.h"

#include <cstring>

namespace console {

namespace {

namespace vk = platform::vk;
using platform::Message;
using platform::Msg;

constexpr uint8_t NoCharacter = 254;

// Characters of the Portuguese Braille table, indexed by the dot bits
// (dot 1 = 1, dot 2 = 2, dot 3 = 4, dot 4 = 8, dot 5 = 16, dot 6 = 32).
constexpr uint8_t BrailleTable[64] = {
    ' ',  'a',  ',',  'b',  '\'', 'k', ';', 'l',  '^',  'c',  'i',  'f',  0xED, 'm', 's',  'p',
    '~',  'e',  ':',  'h',  '*',  'o', '!', 'r',  0xAC, 'd',  'j',  'g',  0xE3, 'n', 't',  'q',
    0xFD, 0xE2, '?',  0xEA, '-',  'u', '"', 'v',  '{',  0xEE, 0xF5, 0xE0, 0xF3, 'x', 0xE8, 0xE7,
    '$',  0xFB, 0xFF, 0xFC, '}',  'z', '=', 0xE1, '_',  0xF4, 'w',  0xEF, '#',  'y', 0xFA, 0xE9};

struct ExtendedKey {
    uint8_t virtualKey;
    uint8_t plain;
    uint8_t ctrl;
};

constexpr ExtendedKey ExtendedKeys[22] = {
    {0x70, 59, 94},        {0x71, 60, 95},       {0x72, 61, 96},      {0x73, 62, 97},
    {0x74, 63, 98},        {0x75, 64, 99},       {0x76, 65, 100},     {0x77, 66, 101},
    {0x78, 67, 102},       {0x79, 68, 103},      {0x7A, 69, 104},     {0x7B, 70, 105},
    {vk::Insert, 82, 255}, {vk::Delete, 83, 83}, {vk::Home, 71, 119}, {vk::End, 79, 117},
    {vk::Prior, 73, 132},  {vk::Next, 81, 118},  {vk::Up, 72, 113},   {vk::Down, 80, 114},
    {vk::Left, 75, 115},   {vk::Right, 77, 116}};

// Scan codes of the letter keys A..Z, which Alt+letter delivers.
constexpr uint8_t AltLetterCodes[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                        49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

uint8_t brailleBit(uint32_t virtualKey) {
    switch (virtualKey) {
    case 'F':
        return 1;
    case 'D':
        return 2;
    case 'S':
        return 4;
    case 'J':
        return 8;
    case 'K':
        return 16;
    case 'L':
        return 32;
    case vk::Space:
        return 64;
    default:
        return 0;
    }
}

bool isLetterKey(uint32_t virtualKey) {
    return virtualKey >= 'A' && virtualKey <= 'Z';
}

void queueKey(uint8_t code) {
    auto &s = state();
    s.keys[static_cast<size_t>(s.keyCount++)] = code;
}

int32_t freePlaces() {
    return KeyQueueCapacity - state().keyCount;
}

void onCharacter(uint8_t c, uint8_t modifiers) {
    auto &s = state();
    if (s.braille.mode != BrailleOff &&
        (c == ' ' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        return;
    if (freePlaces() == 0)
        return;
    const bool ctrl = modifiers & platform::ModCtrl;
    if (c == 8)
        queueKey(ctrl ? 127 : 8);
    else if (c == 13)
        queueKey(ctrl ? 10 : 13);
    else
        queueKey(c);
}

void onKeyDown(uint32_t virtualKey, uint8_t modifiers) {
    auto &s = state();
    if (s.breakChecking && virtualKey == vk::Cancel)
        endProgram(255);
    const bool alt = modifiers & platform::ModAlt;
    const bool ctrl = modifiers & platform::ModCtrl;
    if (alt) {
        if (ctrl && virtualKey == vk::F12) {
            setBrailleMode(BrailleOff);
            return;
        }
        if (ctrl && virtualKey == vk::F11) {
            setBrailleMode(s.braille.mode + 1);
            return;
        }
        const bool digit = virtualKey >= '0' && virtualKey <= '9';
        if (digit || isLetterKey(virtualKey)) {
            if (freePlaces() >= 2) {
                queueKey(0);
                queueKey(
                    digit ? (virtualKey == '0' ? 129 : static_cast<uint8_t>(119 + virtualKey - '0'))
                          : AltLetterCodes[virtualKey - 'A']);
            }
            return;
        }
    }
    if (!ctrl && s.braille.mode != BrailleOff && brailleBit(virtualKey) != 0) {
        s.braille.chord |= brailleBit(virtualKey);
        s.braille.held |= brailleBit(virtualKey);
        return;
    }
    if (s.keyCount > KeyQueueCapacity - 2)
        return;
    for (const auto &key : ExtendedKeys) {
        if (key.virtualKey != virtualKey)
            continue;
        queueKey(0);
        if (ctrl)
            queueKey(key.ctrl);
        else if (key.ctrl == 255 && (modifiers & platform::ModShift))
            queueKey(254);
        else
            queueKey(key.plain);
        return;
    }
}

void clearBrailleSigns() {
    auto &b = state().braille;
    b.numberMode = b.capitalNext = b.capsLock = false;
}

// The number and capital signs of the second Braille mode.
uint8_t applySignRules(uint8_t c) {
    auto &b = state().braille;
    if (b.numberMode) {
        if (c == '\'')
            c = '.';
        else if (c >= 'a' && c <= 'i')
            c = static_cast<uint8_t>('1' + (c - 'a'));
        else if (c == 'j')
            c = '0';
        else if (c == '~')
            b.numberMode = false;
    }
    if ((b.capitalNext || b.capsLock) && c >= 'a' && c <= 'z')
        c = static_cast<uint8_t>(c - 32);
    if (c == '#') {
        b.numberMode = true;
        return NoCharacter;
    }
    if (c == '{') {
        if (b.capitalNext)
            b.capsLock = true;
        b.capitalNext = true;
        return NoCharacter;
    }
    b.capitalNext = false;
    return c;
}

// Returns true when the key-up belonged to the Braille keyboard.
bool onBrailleKeyUp(uint32_t virtualKey, uint8_t modifiers) {
    auto &b = state().braille;
    if ((modifiers & platform::ModCtrl) || !(virtualKey == vk::Space || isLetterKey(virtualKey))) {
        clearBrailleSigns();
        return false;
    }
    b.held = static_cast<uint8_t>(b.held & ~brailleBit(virtualKey));
    if (b.held != 0)
        return true;
    uint8_t ch = NoCharacter;
    if (b.chord >= 64) {
        clearBrailleSigns();
        ch = b.chord == 64 ? ' ' : static_cast<uint8_t>(BrailleTable[b.chord & 63] & 31);
    } else {
        ch = BrailleTable[b.chord];
        if (b.mode == BrailleWithSigns)
            ch = applySignRules(ch);
    }
    if (ch != NoCharacter && state().keyCount <= KeyQueueCapacity - 1)
        queueKey(ch);
    b.chord = 0;
    return true;
}

void showReadingCaret() {
    const auto &s = state();
    const int32_t cellHeight = s.font.height + s.font.externalLeading;
    platform::createCaret(s.font.aveCharWidth, 2);
    platform::setCaretPos((s.window.x1 + s.cursorX) * s.font.aveCharWidth,
                          (s.window.y1 + s.cursorY) * cellHeight + s.font.ascent);
    platform::showCaret();
}

void sound(uint16_t hz) {
    beepTone(hz);
    delayMs(200);
    stopTone();
}

} // namespace

bool windowProcedure(const Message &msg) {
    auto &s = state();
    switch (msg.kind) {
    case Msg::Create:
        onCreate();
        return true;
    case Msg::Destroy:
        onDestroy();
        return true;
    case Msg::Paint:
        paint(msg.paint);
        return true;
    case Msg::MinMaxInfo:
        if (msg.minMax)
            fillMinMaxInfo(*msg.minMax);
        return true;
    case Msg::Close:
        doneConsole();
    case Msg::SetFocus:
        s.focused = true;
        if (s.reading)
            showReadingCaret();
        return true;
    case Msg::KillFocus:
        if (s.reading)
            platform::destroyCaret();
        s.focused = false;
        return true;
    case Msg::Char:
        onCharacter(static_cast<uint8_t>(msg.code), msg.modifiers);
        return true;
    case Msg::KeyDown:
        onKeyDown(msg.code, msg.modifiers);
        return true;
    case Msg::SysKeyDown:
        if (s.breakChecking && msg.code != vk::Left && msg.code != vk::Right)
            return false;
        onKeyDown(msg.code, msg.modifiers);
        return true;
    case Msg::KeyUp:
        return s.braille.mode != BrailleOff && onBrailleKeyUp(msg.code, msg.modifiers);
    case Msg::Timer:
        return true;
    case Msg::RButtonDown:
        magnifierStart(msg.x, msg.y);
        return true;
    case Msg::MouseMove:
        magnifierMove(msg.x, msg.y);
        return true;
    case Msg::RButtonUp:
        magnifierEnd();
        return true;
    case Msg::WaveDone:
        if (!s.waveDone)
            return false;
        s.waveDone(msg.code);
        return true;
    case Msg::User:
    case Msg::Quit:
        return false;
    }
    return false;
}

void endProgram(int32_t code) {
    auto &s = state();
    if (s.focused && s.reading)
        platform::destroyCaret();
    platform::exitProcess(code);
}

void setBrailleMode(int32_t mode) {
    auto &b = state().braille;
    if (mode > BrailleWithSigns)
        mode = BrailleChords;
    if (mode == BrailleOff) {
        b.chord = b.held = 0;
        clearBrailleSigns();
        if (b.mode != BrailleOff)
            sound(100);
    } else if (mode == BrailleChords) {
        sound(800);
        sound(1600);
    } else {
        sound(800);
        sound(400);
    }
    b.mode = mode;
}

int32_t brailleMode() {
    return state().braille.mode;
}

void processMessages() {
    Message msg;
    while (platform::peekMessage(msg)) {
        if (msg.kind == Msg::Quit)
            endProgram(255);
        platform::dispatchMessage(msg);
    }
}

bool keyPressed() {
    ensureWindow();
    processMessages();
    return state().keyCount > 0;
}

void waitMessage() {
    platform::waitMessage();
}

uint8_t readKey() {
    auto &s = state();
    if (!keyPressed()) {
        s.reading = true;
        if (s.focused)
            showReadingCaret();
        while (!keyPressed())
            platform::waitMessage();
        if (s.focused)
            platform::destroyCaret();
        s.reading = false;
    }
    const uint8_t key = s.keys[0];
    std::memmove(s.keys.data(), s.keys.data() + 1, static_cast<size_t>(s.keyCount - 1));
    --s.keyCount;
    return key;
}

void delayMs(uint16_t ms) {
    platform::sleepMs(ms);
    processMessages();
}

uint16_t readLine(uint8_t *buffer, uint16_t capacity) {
    uint16_t i = 0;
    uint8_t key = 0;
    do {
        key = readKey();
        if (key == 8) {
            if (i > 0) {
                --i;
                writeChars(&key, 1);
            }
        } else if (key >= 32 && i + 2 < capacity) {
            buffer[i++] = key;
            writeChars(&key, 1);
        }
    } while (key != 13);
    if (capacity < 2)
        return 0;
    buffer[i] = 13;
    buffer[i + 1] = 10;
    writeChars(buffer + i, 2);
    return static_cast<uint16_t>(i + 2);
}

std::string readLineText() {
    uint8_t line[128];
    const uint16_t length = readLine(line, sizeof line);
    return std::string(reinterpret_cast<const char *>(line), length >= 2 ? length - 2u : 0u);
}

void postMessage(uint32_t userMessage) {
    Message msg;
    msg.kind = Msg::User;
    msg.code = userMessage;
    platform::postMessage(msg);
}

void setWaveDoneHandler(WaveDoneHandler handler) {
    state().waveDone = handler;
}

} // namespace console
