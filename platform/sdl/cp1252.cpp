#include "platform/sdl/cp1252.h"

#include <array>

namespace sdl_backend {

namespace {

// Bytes 80..9F hex; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Decodes one UTF-8 sequence at text[pos]; advances pos. Returns false for a
// malformed sequence (pos then moves past its first byte only).
bool decodeUtf8(std::string_view text, size_t &pos, char32_t &out) {
    const auto lead = static_cast<uint8_t>(text[pos]);
    size_t extra = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        out = lead;
        ++pos;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, value = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, value = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, value = lead & 0x07u, minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + extra >= text.size()) {
        ++pos;
        return false;
    }
    for (size_t i = 1; i <= extra; ++i) {
        const auto next = static_cast<uint8_t>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    pos += extra + 1;
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    out = value;
    return true;
}

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

char32_t unicodeFromCp1252(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return HighControls[byte - 0x80];
    return byte;
}

bool cp1252FromUnicode(char32_t codePoint, uint8_t &byte) {
    if (isControl(codePoint))
        return false;
    if (codePoint <= 0xFF) {
        byte = static_cast<uint8_t>(codePoint);
        return true;
    }
    for (size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == codePoint) {
            byte = static_cast<uint8_t>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::string cp1252FromUtf8(std::string_view utf8) {
    std::string out;
    size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        uint8_t byte = 0;
        if (decodeUtf8(utf8, pos, c) && cp1252FromUnicode(c, byte))
            out += static_cast<char>(byte);
    }
    return out;
}

std::string utf8FromCp1252(std::string_view bytes) {
    std::string out;
    for (const char b : bytes)
        appendUtf8(out, unicodeFromCp1252(static_cast<uint8_t>(b)));
    return out;
}

} // namespace sdl_backend
