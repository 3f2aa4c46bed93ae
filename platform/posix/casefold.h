// Case folding of the POSIX host emulation: ASCII letters and the
// Windows-1252 letters 192..222 / 224..254 (except the signs 215 and 247),
// the way the Windows file system and the profile API compare names.
#pragma once

#include <cstddef>
#include <string_view>

namespace posix_host {

inline unsigned char foldByte(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 224 && c <= 254 && c != 247)
        return static_cast<unsigned char>(c - 32);
    return c;
}

inline bool equalFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldByte(static_cast<unsigned char>(a[i])) !=
            foldByte(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace posix_host
