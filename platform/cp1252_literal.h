// Windows-1252 text written as UTF-8 in the source: "ação"_cp1252 is the
// program's bytes "a\xe7\xe3o", converted while compiling. A character that has
// no Windows-1252 byte, or a malformed UTF-8 sequence, stops the build.
#pragma once

#include "platform/cp1252.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

namespace cp1252_literal {

// A literal's UTF-8 bytes, as a template argument.
template <std::size_t N> struct Utf8Source {
    std::array<char, N> bytes{};
    consteval Utf8Source(const char (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i)
            bytes[i] = text[i];
    }
};

// Windows-1252 text, null-terminated; never longer than its UTF-8 source.
template <std::size_t N> struct Text {
    std::array<char, N> bytes{};
    std::size_t size = 0;
};

// Reached only while compiling a bad literal, where it stops the build.
inline void noWindows1252Byte() {}

consteval uint8_t continuation(char c) {
    const auto byte = static_cast<uint8_t>(c);
    if ((byte & 0xC0) != 0x80)
        noWindows1252Byte(); // a malformed UTF-8 sequence
    return byte & 0x3F;
}

template <std::size_t N> consteval Text<N> convert(const Utf8Source<N> &source) {
    Text<N> out;
    const std::size_t length = N - 1; // without the terminating null
    for (std::size_t i = 0; i < length;) {
        const auto lead = static_cast<uint8_t>(source.bytes[i]);
        uint32_t codePoint = lead;
        std::size_t extra = 0;
        if (lead >= 0xF0)
            extra = 3;
        else if (lead >= 0xE0)
            extra = 2;
        else if (lead >= 0xC0)
            extra = 1;
        else if (lead >= 0x80)
            noWindows1252Byte(); // a continuation byte without its lead
        if (i + extra >= length)
            noWindows1252Byte(); // a sequence cut by the end of the text
        if (extra > 0)
            codePoint = lead & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k)
            codePoint = (codePoint << 6) | continuation(source.bytes[i + k]);
        constexpr uint32_t Shortest[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < Shortest[extra])
            noWindows1252Byte(); // an overlong sequence
        const int byte = unicodeToCp1252(codePoint);
        if (byte < 0)
            noWindows1252Byte();
        out.bytes[out.size++] = static_cast<char>(byte);
        i += extra + 1;
    }
    return out;
}

// One stored copy per distinct literal, so that its bytes outlive any use.
template <Utf8Source S> inline constexpr auto Converted = convert(S);

} // namespace cp1252_literal

// The Windows-1252 byte of one character, for char literals and case labels:
// cp1252Char(U'ç') is '\xe7'.
consteval char cp1252Char(char32_t character) {
    const int byte = unicodeToCp1252(character);
    if (byte < 0)
        cp1252_literal::noWindows1252Byte();
    return static_cast<char>(byte);
}

namespace literals {

// The Windows-1252 bytes of a UTF-8 literal, null-terminated, in static
// storage: usable as a const char * and so as a std::string_view or a
// std::string.
template <cp1252_literal::Utf8Source S> consteval const char *operator""_cp1252() {
    return cp1252_literal::Converted<S>.bytes.data();
}

} // namespace literals

} // namespace platform
