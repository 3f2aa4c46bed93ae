// The shared configuration lookup: values of ZEBUNA.INI with the system
// root put in place of "@".
#include "tradutor/speech/config.h"

#include "platform/platform.h"
#include "tradutor/speech/facade_state.h"
#include "tradutor/speech/speech.h"

#include <limits>

namespace speech {
namespace {

constexpr const char *IniName = "ZEBUNA.INI";
constexpr size_t ValueCapacity = 256; // values keep at most 255 characters

bool endsWithSeparator(const std::string &path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// The bare name when ZEBUNA.INI lies in the Windows directory (where the
// profile functions look for it), else the copy in the start directory.
std::string iniFileName() {
    std::string windows = platform::windowsDirectory();
    if (!endsWithSeparator(windows))
        windows += '\\';
    if (platform::fileExists(windows + IniName))
        return IniName;
    return detail::facade().startDir + "\\" + IniName;
}

std::string systemRoot(const std::string &iniFile) {
    std::string root = platform::profileString(iniFile, "ZEBUNA", "PGMZEBUNA", "", ValueCapacity);
    if (root.empty() || root[0] == '@')
        return detail::facade().startDir;
    return root;
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

} // namespace

std::string readConfig(const std::string &section, const std::string &key) {
    const std::string iniFile = iniFileName();
    const std::string value = platform::profileString(iniFile, section.empty() ? "ZEBUNA" : section,
                                                      key, "", ValueCapacity);
    return substituteRoot(value, [&] { return systemRoot(iniFile); });
}

std::string substituteRoot(std::string value, const std::function<std::string()> &root) {
    size_t searchFrom = 0;
    if (!value.empty() && value[0] == '@') {
        const std::string text = root();
        value.replace(0, 1, text);
        searchFrom = text.size();
    }
    for (size_t at = value.find("@\\", searchFrom); at != std::string::npos;
         at = value.find("@\\", searchFrom)) {
        const std::string text = root();
        value.replace(at, 1, text);
        searchFrom = at + text.size();
    }
    return value;
}

std::optional<int32_t> parseConfigInteger(const std::string &text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    // Hexadecimal takes all 32 bits (FFFFFFFF is -1); decimal must fit the signed range.
    const uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : uint64_t{std::numeric_limits<int32_t>::max()} + negative;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= base)
            return std::nullopt;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<uint32_t>(magnitude);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
}

bool isSwitchOn(const std::string &value) {
    return !value.empty() && value[0] != 'N' && value[0] != 'n';
}

} // namespace speech
