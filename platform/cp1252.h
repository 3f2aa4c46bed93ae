// Conversions between UTF-8 (the host's text) and Windows-1252 (the
// program's text).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Unicode code point of a Windows-1252 byte (0 for the five unassigned bytes).
uint32_t cp1252ToUnicode(uint8_t byte);
// Windows-1252 byte of a code point, or -1 when it has none.
int unicodeToCp1252(uint32_t codePoint);

// UTF-8 to Windows-1252; characters outside Windows-1252 are dropped, and so
// are malformed sequences.
std::string utf8ToCp1252(const std::string &utf8);
std::string cp1252ToUtf8(const std::string &bytes);

} // namespace platform
