// The registry on the POSIX hosts: a file in the format of Windows' registry
// exports (REGEDIT4), "registry.reg" in the Windows directory, or the file
// named by $ZEBUNA_REGISTRY. Key paths and value names match without regard
// to case; "@" is a key's default value. String values ("...", with \\ and
// \" escapes) are REG_SZ, dword:hhhhhhhh values REG_DWORD.
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Vendor\Thing]
//   @="c:\\path\\to\\it"
//   "Count"=dword:00000002
#include "platform/file.h"
#include "platform/platform.h"
#include "platform/posix/casefold.h"
#include "platform/posix/profile_text.h"

#include <cstdlib>
#include <string_view>

namespace {

constexpr size_t MaxRegistryBytes = size_t{1} << 20;
constexpr uint32_t RegistryDword = 4;

std::string registryFile() {
    if (const char *path = std::getenv("ZEBUNA_REGISTRY"); path && *path)
        return path;
    return platform::windowsDirectory() + "/registry.reg";
}

std::string rootName(platform::RegistryRoot root) {
    return root == platform::RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE"
                                                        : "HKEY_CURRENT_USER";
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A quoted string at the start of `s`: its unescaped text, and `s` moved past
// the closing quote. False when it is not a complete quoted string.
bool takeQuoted(std::string_view &s, std::string &text) {
    if (s.empty() || s.front() != '"')
        return false;
    text.clear();
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (s[i] == '\\' && i + 1 < s.size())
            ++i;
        text += s[i];
    }
    return false;
}

bool parseData(std::string_view s, platform::RegistryValue &out) {
    std::string text;
    if (takeQuoted(s, text)) {
        out.type = platform::RegistryString;
        out.data = text + '\0';
        return true;
    }
    constexpr std::string_view DwordPrefix = "dword:";
    if (s.size() <= DwordPrefix.size() || !posix_host::equalFolded(s.substr(0, 6), DwordPrefix))
        return false;
    char *end = nullptr;
    const std::string digits(s.substr(DwordPrefix.size()));
    const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
    if (end == digits.c_str() || *end != '\0' || value > 0xFFFFFFFFul)
        return false;
    out.type = RegistryDword;
    out.data.clear();
    for (int shift = 0; shift < 32; shift += 8)
        out.data += static_cast<char>((value >> shift) & 0xFF);
    return true;
}

// The value's name and data of one "name"=data or @=data line.
bool parseValueLine(std::string_view line, std::string &name, std::string_view &data) {
    if (!line.empty() && line.front() == '@') {
        name.clear();
        line.remove_prefix(1);
    } else if (!takeQuoted(line, name)) {
        return false;
    }
    line = trim(line);
    if (line.empty() || line.front() != '=')
        return false;
    data = trim(line.substr(1));
    return true;
}

} // namespace

namespace posix_host {

bool registryValue(std::string_view contents, platform::RegistryRoot root, const std::string &key,
                   const std::string &valueName, platform::RegistryValue &out) {
    const std::string wantedKey = rootName(root) + "\\" + key;
    bool inKey = false;
    size_t pos = 0;
    while (pos < contents.size()) {
        size_t end = contents.find('\n', pos);
        if (end == std::string_view::npos)
            end = contents.size();
        const std::string_view line = trim(contents.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.rfind(']');
            inKey = close != std::string_view::npos &&
                    posix_host::equalFolded(line.substr(1, close - 1), wantedKey);
            continue;
        }
        std::string name;
        std::string_view data;
        if (inKey && parseValueLine(line, name, data) && posix_host::equalFolded(name, valueName))
            return parseData(data, out);
    }
    return false;
}

} // namespace posix_host

namespace platform {

bool readRegistryValue(RegistryRoot root, const std::string &key, const std::string &valueName,
                       RegistryValue &out) {
    std::string contents;
    return readWholeFile(registryFile(), contents, MaxRegistryBytes) &&
           posix_host::registryValue(contents, root, key, valueName, out);
}

} // namespace platform
