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

// Checks a text, fed byte by byte, for well-formed UTF-8: a text of plain
// ASCII passes, and so does one with multi-byte characters.
class Utf8Check {
public:
    void feed(uint8_t byte);
    // True when every byte so far is well-formed and no character is cut.
    bool valid() const { return valid_ && pending_ == 0; }
    // True once a byte was found out of place: no later byte can mend it.
    bool failed() const { return !valid_; }

private:
    bool valid_ = true;
    int pending_ = 0; // continuation bytes still expected
    uint8_t lead_ = 0, index_ = 0;
};

// The UTF-8 byte-order mark some editors put at the start of a file.
constexpr const char *Utf8Mark = "\xef\xbb\xbf";

// A text file people edit, in the program's Windows-1252: UTF-8 (with or
// without the byte-order mark) is converted, anything else is taken as
// Windows-1252 already.
std::string textToCp1252(const std::string &text);

} // namespace platform
