#include "game/letters.h"

namespace game {

namespace {

struct Accented {
    uint8_t capital; // Windows-1252; the lower-case form is 32 above it
    uint8_t plain;
};

constexpr Accented AccentedLetters[] = {
    {0xC1, 'A'}, {0xC0, 'A'}, {0xC2, 'A'}, {0xC3, 'A'}, {0xC9, 'E'}, {0xCA, 'E'}, {0xCD, 'I'},
    {0xD3, 'O'}, {0xD4, 'O'}, {0xD5, 'O'}, {0xDA, 'U'}, {0xDC, 'U'}, {0xC7, 'C'},
};

const Accented *findAccented(uint8_t c) {
    for (const auto &letter : AccentedLetters)
        if (c == letter.capital || c == letter.capital + 32)
            return &letter;
    return nullptr;
}

} // namespace

uint8_t plainLetter(uint8_t c) {
    const uint8_t upper = upperLetter(c);
    if (upper >= 'A' && upper <= 'Z')
        return upper;
    const Accented *accented = findAccented(c);
    return accented ? accented->plain : 0;
}

uint8_t upperLetter(uint8_t c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<uint8_t>(c - 32);
    const Accented *accented = findAccented(c);
    return accented ? accented->capital : c;
}

} // namespace game
