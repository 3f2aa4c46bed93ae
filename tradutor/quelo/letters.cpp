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

} // namespace

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
