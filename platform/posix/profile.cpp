// GetPrivateProfileStringA emulated on the POSIX hosts.
#include "platform/cp1252.h"
#include "platform/file.h"
#include "platform/platform.h"
#include "platform/posix/casefold.h"
#include "platform/posix/ini_check.h"
#include "platform/posix/profile_text.h"

#include <algorithm>
#include <string_view>

namespace {

using posix_host::trimProfileBlanks;

bool hasDirectoryPart(const std::string &file) {
    if (file.find_first_of("/\\") != std::string::npos)
        return true;
    return file.size() >= 2 && file[1] == ':';
}

// The value of `key` in the first section named `section`, if any.
bool findValue(std::string_view data, std::string_view section, std::string_view key,
               std::string_view &value) {
    // Lines before the first header belong to a section with an empty name.
    bool inSection = section.empty();
    bool sectionSeen = inSection;
    size_t pos = 0;
    while (pos < data.size()) {
        size_t end = data.find('\n', pos);
        if (end == std::string_view::npos)
            end = data.size();
        std::string_view line = data.substr(pos, end - pos);
        pos = end + 1;
        // A NUL byte ends the line's text, as in a C string.
        const size_t nul = line.find('\0');
        if (nul != std::string_view::npos)
            line = line.substr(0, nul);
        line = trimProfileBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const size_t close = line.rfind(']');
            if (close == std::string_view::npos)
                continue; // not a header, and not a key either
            if (sectionSeen)
                return false; // the first matching section has ended
            inSection =
                posix_host::equalFolded(trimProfileBlanks(line.substr(1, close - 1)), section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        if (!posix_host::equalFolded(trimProfileBlanks(line.substr(0, eq)), key))
            continue;
        value = trimProfileBlanks(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return true;
    }
    return false;
}

std::string cut(std::string_view s, size_t capacity) {
    if (capacity == 0)
        return {};
    return std::string(s.substr(0, capacity - 1));
}

} // namespace

namespace posix_host {

std::string profileValue(std::string_view data, const std::string &section, const std::string &key,
                         const std::string &defaultValue, size_t capacity) {
    // A file saved by an editor that marks UTF-8 starts with the mark; the
    // values of a UTF-8 file are handed on in Windows-1252.
    if (data.substr(0, 3) == platform::Utf8Mark)
        data.remove_prefix(3);
    const std::string text = platform::textToCp1252(std::string(data));
    std::string_view value;
    if (findValue(text, trimProfileBlanks(section), trimProfileBlanks(key), value))
        return cut(value, capacity);
    // As Windows does, trailing blanks of the default are dropped.
    std::string_view fallback(defaultValue);
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return cut(fallback, capacity);
}

} // namespace posix_host

namespace platform {

std::string profileString(const std::string &file, const std::string &section,
                          const std::string &key, const std::string &defaultValue,
                          size_t capacity) {
    std::string data;
    File f;
    if (!file.empty() && f.open(hasDirectoryPart(file) ? file : windowsDirectory() + "/" + file)) {
        char buffer[65536];
        while (data.size() < posix_host::MaxIniBytes) {
            const size_t n =
                f.read(buffer, std::min(sizeof buffer, posix_host::MaxIniBytes - data.size()));
            if (n == 0)
                break;
            data.append(buffer, n);
        }
    }
    return posix_host::profileValue(data, section, key, defaultValue, capacity);
}

} // namespace platform
