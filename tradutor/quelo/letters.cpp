// Windows-1252 case mapping: A..Z, the accented capitals 192..222 (but not
// the multiplication sign) and the three letter pairs of 138..159.
#include "tradutor/quelo/letters.h"

#include <cstdint>

namespace quelo {
namespace {

constexpr uint8_t LowerCaseOffset = 32;

bool isPlainOrAccentedCapital(uint8_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= 192 && code <= 222 && code != 215);
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The accented letters, capital and small: À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü.
bool isAccentedCapital(uint8_t code) {
    switch (code) {
    case 192:
    case 193:
    case 194:
    case 195:
    case 199:
    case 201:
    case 202:
    case 204:
    case 205:
    case 209:
    case 211:
    case 212:
    case 213:
    case 217:
    case 218:
    case 220:
        return true;
    default:
        return false;
    }
}

} // namespace

bool isLetter(char c) {
    const auto code = static_cast<uint8_t>(c);
    return isAsciiLetter(c) || isAccentedCapital(code) ||
           (code >= LowerCaseOffset &&
            isAccentedCapital(static_cast<uint8_t>(code - LowerCaseOffset)));
}

char upperLetter(char c) {
    const auto code = static_cast<uint8_t>(c);
    if (code == 154 || code == 156 || code == 158) // š œ ž
        return static_cast<char>(code - 16);
    if (code == 255) // ÿ
        return static_cast<char>(159);
    if (code >= LowerCaseOffset && isPlainOrAccentedCapital(static_cast<uint8_t>(code - 32)))
        return static_cast<char>(code - LowerCaseOffset);
    return c;
}

char lowerLetter(char c) {
    const auto code = static_cast<uint8_t>(c);
    if (code == 138 || code == 140 || code == 142) // Š Œ Ž
        return static_cast<char>(code + 16);
    if (code == 159) // Ÿ
        return static_cast<char>(255);
    if (isPlainOrAccentedCapital(code))
        return static_cast<char>(code + LowerCaseOffset);
    return c;
}

std::string upperCased(std::string text) {
    for (char &c : text)
        c = upperLetter(c);
    return text;
}

std::string lowerCased(std::string text) {
    for (char &c : text)
        c = lowerLetter(c);
    return text;
}

} // namespace quelo
