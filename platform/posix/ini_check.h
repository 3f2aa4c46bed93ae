// Whether a configuration file the player edits can be read the way the
// profile reader reads ZEBUNA.INI, so that a mistake is reported instead of
// quietly giving default values.
#pragma once

#include "platform/data_report.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace posix_host {

// The blanks the profile reader trims around section names, keys and values.
inline bool isProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

inline std::string_view trimProfileBlanks(std::string_view s) {
    while (!s.empty() && isProfileBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isProfileBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Bytes of a profile file the reader takes; the rest is ignored.
constexpr size_t MaxIniBytes = size_t{1} << 20;

enum class IniVerdict {
    Good,
    Unreadable, // not a regular file, or it cannot be opened or read
    Empty,      // no key at all: blank lines, comments and headers only
    Damaged,    // a line that is neither blank, comment, [section] nor key=value
};

struct IniCheck {
    IniVerdict verdict = IniVerdict::Good;
    int32_t line = 0; // Damaged: the first bad line, from 1
};

// The verdict on the text of a file.
IniCheck checkIniText(std::string_view text);
// The longest value the programs read; longer ones are cut.
constexpr size_t MaxIniValue = 255;

// Tells `report` of every line the profile reader ignores or cuts: lines
// that are neither setting, [section], comment nor blank, settings before
// the first section, a section or a key met again (only the first is read),
// values too long.
void reportIniText(std::string_view text, const data_report::Sink &report);

// The verdict on a native file.
IniCheck checkIniFile(const std::string &nativePath);

} // namespace posix_host
