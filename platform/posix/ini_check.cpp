// Checks a configuration file line by line with the rules the profile reader
// applies when it looks a key up.
#include "platform/posix/ini_check.h"
#include "platform/posix/casefold.h"
#include "platform/posix/regular_file.h"

#include <unistd.h>

#include <algorithm>
#include <map>

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

namespace {

// Keys and section names are one whatever their case.
std::string folded(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

void reportIniText(std::string_view text, const data_report::Sink &report) {
    if (text.substr(0, Utf8Mark.size()) == Utf8Mark)
        text.remove_prefix(Utf8Mark.size());
    std::map<std::string, size_t> sections; // folded name -> first line
    std::map<std::string, size_t> keys;     // of the section being read
    bool inSection = false, ignoredSection = false, anyKey = false;
    size_t number = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        const std::string_view trimmed = trimProfileBlanks(line);
        switch (kindOf(line)) {
        case LineKind::Ignored:
            break;
        case LineKind::Bad:
            report(number, "neither a setting, a [section], a comment nor blank: ignored");
            break;
        case LineKind::Header: {
            const std::string name =
                std::string(trimProfileBlanks(trimmed.substr(1, trimmed.rfind(']') - 1)));
            const auto [first, isNew] = sections.emplace(folded(name), number);
            ignoredSection = !isNew;
            if (ignoredSection)
                report(number, "[" + name + "] again (first on line " +
                                   std::to_string(first->second) + "): its settings are ignored");
            inSection = true;
            keys.clear();
            break;
        }
        case LineKind::Key: {
            if (!inSection) {
                report(number, "a setting before any [section]: ignored");
                break;
            }
            anyKey = true;
            const size_t eq = trimmed.find('=');
            const std::string key(trimProfileBlanks(trimmed.substr(0, eq)));
            const auto [first, isNew] = keys.emplace(folded(key), number);
            if (!isNew && !ignoredSection)
                report(number, key + " is already set on line " + std::to_string(first->second) +
                                   ": this line is ignored");
            if (trimProfileBlanks(trimmed.substr(eq + 1)).size() > MaxIniValue)
                report(number, "the value is longer than " + std::to_string(MaxIniValue) +
                                   " characters: the programs read only the first");
            break;
        }
        }
    }
    if (!anyKey)
        report(0, "no setting at all");
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
