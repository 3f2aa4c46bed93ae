// Checks a configuration file line by line with the rules the profile reader
// applies when it looks a key up.
#include "platform/posix/ini_check.h"
#include "platform/posix/regular_file.h"

#include <unistd.h>

#include <algorithm>

namespace posix_host {
namespace {

constexpr std::string_view Utf8Mark = "\xef\xbb\xbf";

// Control characters other than blanks do not belong in a text file.
bool hasControlCharacter(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && !isProfileBlank(c);
    });
}

enum class LineKind { Ignored, Header, Key, Bad };

LineKind kindOf(std::string_view line) {
    if (hasControlCharacter(line))
        return LineKind::Bad;
    line = trimProfileBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '#')
        return LineKind::Ignored;
    if (line.front() == '[')
        return line.find(']') == std::string_view::npos ? LineKind::Bad : LineKind::Header;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || trimProfileBlanks(line.substr(0, eq)).empty())
        return LineKind::Bad;
    return LineKind::Key;
}

// Reads at most `limit` bytes; false on a read error.
bool readUpTo(int fd, std::string &out, size_t limit) {
    char buffer[65536];
    while (out.size() < limit) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - out.size()));
        if (n < 0)
            return false;
        if (n == 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

} // namespace

IniCheck checkIniText(std::string_view text) {
    if (text.substr(0, Utf8Mark.size()) == Utf8Mark)
        text.remove_prefix(Utf8Mark.size());
    bool inSection = false;
    bool anyKey = false;
    int32_t lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        switch (kindOf(line)) {
        case LineKind::Ignored:
            break;
        case LineKind::Header:
            inSection = true;
            break;
        case LineKind::Key:
            // A key before the first header belongs to no section anyone reads.
            if (!inSection)
                return {IniVerdict::Damaged, lineNumber};
            anyKey = true;
            break;
        case LineKind::Bad:
            return {IniVerdict::Damaged, lineNumber};
        }
    }
    return {anyKey ? IniVerdict::Good : IniVerdict::Empty, 0};
}

IniCheck checkIniFile(const std::string &nativePath) {
    const int fd = openRegularFile(nativePath);
    if (fd < 0)
        return {IniVerdict::Unreadable, 0};
    std::string text;
    const bool read = readUpTo(fd, text, MaxIniBytes + 1);
    ::close(fd);
    if (!read)
        return {IniVerdict::Unreadable, 0};
    if (text.size() <= MaxIniBytes)
        return checkIniText(text);
    // The reader stops at its limit: what lies beyond it would be lost.
    text.resize(MaxIniBytes);
    const IniCheck within = checkIniText(text);
    if (within.verdict == IniVerdict::Damaged)
        return within;
    return {IniVerdict::Damaged,
            static_cast<int32_t>(std::count(text.begin(), text.end(), '\n')) + 1};
}

} // namespace posix_host
