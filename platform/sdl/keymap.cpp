#include "platform/sdl/keymap.h"

#include "platform/cp1252.h"
#include "platform/platform.h"

#include <algorithm>

namespace sdl_backend {

namespace vk = platform::vk;

namespace {

struct KeyEntry {
    SDL_Keycode key;
    uint8_t virtualKey;
};

struct PositionEntry {
    SDL_Scancode position;
    uint8_t virtualKey;
};

constexpr uint8_t VkClear = 0x0C, VkPause = 0x13, VkCapital = 0x14, VkSnapshot = 0x2C,
                  VkLeftWin = 0x5B, VkRightWin = 0x5C, VkApps = 0x5D, VkNumpad0 = 0x60,
                  VkMultiply = 0x6A, VkAdd = 0x6B, VkSubtract = 0x6D, VkDecimal = 0x6E,
                  VkDivide = 0x6F, VkNumLock = 0x90, VkScroll = 0x91;

constexpr KeyEntry FixedKeys[] = {
    {SDLK_BACKSPACE, vk::Back},
    {SDLK_TAB, vk::Tab},
    {SDLK_RETURN, vk::Return},
    {SDLK_KP_ENTER, vk::Return},
    {SDLK_ESCAPE, vk::Escape},
    {SDLK_SPACE, vk::Space},
    {SDLK_PAGEUP, vk::Prior},
    {SDLK_PAGEDOWN, vk::Next},
    {SDLK_END, vk::End},
    {SDLK_HOME, vk::Home},
    {SDLK_LEFT, vk::Left},
    {SDLK_UP, vk::Up},
    {SDLK_RIGHT, vk::Right},
    {SDLK_DOWN, vk::Down},
    {SDLK_INSERT, vk::Insert},
    {SDLK_DELETE, vk::Delete},
    {SDLK_LSHIFT, vk::Shift},
    {SDLK_RSHIFT, vk::Shift},
    {SDLK_LCTRL, vk::Control},
    {SDLK_RCTRL, vk::Control},
    {SDLK_LALT, vk::Menu},
    {SDLK_RALT, vk::Menu},
    {SDLK_LGUI, VkLeftWin},
    {SDLK_RGUI, VkRightWin},
    {SDLK_APPLICATION, VkApps},
    {SDLK_CAPSLOCK, VkCapital},
    {SDLK_NUMLOCKCLEAR, VkNumLock},
    {SDLK_SCROLLLOCK, VkScroll},
    {SDLK_PRINTSCREEN, VkSnapshot},
    {SDLK_CANCEL, vk::Cancel},
    {SDLK_KP_MULTIPLY, VkMultiply},
    {SDLK_KP_PLUS, VkAdd},
    {SDLK_KP_MINUS, VkSubtract},
    {SDLK_KP_DIVIDE, VkDivide},
    {SDLK_CLEAR, VkClear},
};

// The keypad's digit keys and its decimal key, 0..9 then the decimal key, as
// navigation keys (Num Lock off).
constexpr SDL_Keycode KeypadKeys[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2,     SDLK_KP_3,
                                      SDLK_KP_4, SDLK_KP_5, SDLK_KP_6,     SDLK_KP_7,
                                      SDLK_KP_8, SDLK_KP_9, SDLK_KP_PERIOD};
constexpr uint8_t KeypadNavigation[] = {vk::Insert, vk::End,   vk::Down,  vk::Next,
                                        vk::Left,   VkClear,   vk::Right, vk::Home,
                                        vk::Up,     vk::Prior, vk::Delete};

// Punctuation keys by position, with the codes Windows gives them on the US
// and Brazilian layouts (the Brazilian extra keys included).
constexpr PositionEntry PunctuationPositions[] = {
    {SDL_SCANCODE_SEMICOLON, 0xBA},      {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},          {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_PERIOD, 0xBE},         {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},          {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},      {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_APOSTROPHE, 0xDE},     {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
    {SDL_SCANCODE_INTERNATIONAL1, 0xC1}, {SDL_SCANCODE_KP_COMMA, 0xC2},
};

uint8_t keypadCode(SDL_Keycode key, bool numLock) {
    for (size_t i = 0; i < std::size(KeypadKeys); ++i) {
        if (KeypadKeys[i] != key)
            continue;
        if (!numLock)
            return KeypadNavigation[i];
        return i < 10 ? static_cast<uint8_t>(VkNumpad0 + i) : VkDecimal;
    }
    return 0;
}

uint8_t codeBySymbol(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<uint8_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<uint8_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return static_cast<uint8_t>(vk::F1 + (key - SDLK_F1));
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return static_cast<uint8_t>(vk::F1 + 12 + (key - SDLK_F13));
    for (const KeyEntry &entry : FixedKeys) {
        if (entry.key == key)
            return entry.virtualKey;
    }
    return 0;
}

uint8_t codeByPosition(SDL_Scancode position) {
    if (position >= SDL_SCANCODE_A && position <= SDL_SCANCODE_Z)
        return static_cast<uint8_t>('A' + (position - SDL_SCANCODE_A));
    if (position >= SDL_SCANCODE_1 && position <= SDL_SCANCODE_9)
        return static_cast<uint8_t>('1' + (position - SDL_SCANCODE_1));
    if (position == SDL_SCANCODE_0)
        return '0';
    for (const PositionEntry &entry : PunctuationPositions) {
        if (entry.position == position)
            return entry.virtualKey;
    }
    return 0;
}

} // namespace

uint8_t virtualKeyFromSdl(SDL_Keycode key, SDL_Scancode position, uint16_t sdlModifiers) {
    if (key == SDLK_PAUSE)
        return (sdlModifiers & KMOD_CTRL) != 0 ? vk::Cancel : VkPause;
    if (const uint8_t keypad = keypadCode(key, (sdlModifiers & KMOD_NUM) != 0))
        return keypad;
    if (const uint8_t bySymbol = codeBySymbol(key))
        return bySymbol;
    return codeByPosition(position);
}

uint8_t modifiersFromSdl(uint16_t sdlModifiers) {
    uint8_t result = 0;
    if ((sdlModifiers & KMOD_SHIFT) != 0)
        result |= platform::ModShift;
    if ((sdlModifiers & KMOD_CTRL) != 0)
        result |= platform::ModCtrl;
    if ((sdlModifiers & KMOD_ALT) != 0)
        result |= platform::ModAlt;
    return result;
}

bool isSystemKey(uint8_t modifiers) {
    return (modifiers & platform::ModAlt) != 0 && (modifiers & platform::ModCtrl) == 0;
}

uint8_t controlCharForKey(uint8_t virtualKey, uint8_t modifiers) {
    if ((modifiers & platform::ModAlt) != 0)
        return 0;
    const bool ctrl = (modifiers & platform::ModCtrl) != 0;
    switch (virtualKey) {
    case vk::Escape:
        return 27;
    case vk::Return:
        return ctrl ? 10 : 13;
    case vk::Back:
        return ctrl ? 127 : 8;
    case vk::Tab:
        return ctrl ? 0 : 9;
    case vk::Space:
        return ctrl ? 32 : 0;
    default:
        break;
    }
    if (ctrl && virtualKey >= 'A' && virtualKey <= 'Z')
        return static_cast<uint8_t>(virtualKey - 'A' + 1);
    return 0;
}

bool textAllowedWith(uint16_t sdlModifiers) {
    return (sdlModifiers & (KMOD_CTRL | KMOD_LALT)) == 0;
}

std::string typedCharacters(const std::string &utf8) {
    std::string bytes = platform::utf8ToCp1252(utf8);
    std::erase_if(bytes, [](char c) {
        const auto byte = static_cast<uint8_t>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return bytes;
}

} // namespace sdl_backend
