// Windows-1252, the program's one character set, against Unicode: used to
// draw the bytes of the screen buffer with a TrueType font, to turn typed
// text into character messages and to give the window manager the title.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sdl_backend {

// The code point a byte stands for. The five bytes the code page leaves
// undefined (81, 8D, 8F, 90, 9D hex) map to the C1 controls of the same
// number, as Windows maps them.
char32_t unicodeFromCp1252(uint8_t byte);

// The byte of a code point; false when the code page has none. Control
// characters (C0, DEL and C1) have none: they are not typed text.
bool cp1252FromUnicode(char32_t codePoint, uint8_t &byte);

// UTF-8 text as Windows-1252 bytes. Characters the code page lacks and
// malformed sequences are dropped.
std::string cp1252FromUtf8(std::string_view utf8);

std::string utf8FromCp1252(std::string_view bytes);

} // namespace sdl_backend
