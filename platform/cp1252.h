// Conversions between UTF-8 (the host's text) and Windows-1252 (the
// program's text).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Code points of the bytes 0x80..0x9F; 0 marks the unassigned ones.
inline constexpr uint32_t Cp1252HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Unicode code point of a Windows-1252 byte (0 for the five unassigned bytes).
uint32_t cp1252ToUnicode(uint8_t byte);

// Windows-1252 byte of a code point, or -1 when it has none.
constexpr int unicodeToCp1252(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int k = 0; k < 32; ++k)
        if (Cp1252HighControls[k] != 0 && Cp1252HighControls[k] == codePoint)
            return 0x80 + k;
    return -1;
}

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
