#include "platform/headless/key_script.h"

#include "platform/cp1252.h"

#include <cctype>
#include <cstdlib>
#include <map>

namespace headless {

namespace {

using platform::Message;
using platform::Msg;
namespace vk = platform::vk;

struct NamedKey {
    uint8_t virtualKey;
    int character; // the WM_CHAR byte the key types, or -1
};

const std::map<std::string, NamedKey> &namedKeys() {
    static const std::map<std::string, NamedKey> keys = {
        {"ESC", {vk::Escape, 27}},  {"ENTER", {vk::Return, 13}},  {"SPACE", {vk::Space, 32}},
        {"TAB", {vk::Tab, 9}},      {"BACKSPACE", {vk::Back, 8}}, {"UP", {vk::Up, -1}},
        {"DOWN", {vk::Down, -1}},   {"LEFT", {vk::Left, -1}},     {"RIGHT", {vk::Right, -1}},
        {"HOME", {vk::Home, -1}},   {"END", {vk::End, -1}},       {"PGUP", {vk::Prior, -1}},
        {"PGDN", {vk::Next, -1}},   {"INSERT", {vk::Insert, -1}}, {"DELETE", {vk::Delete, -1}},
        {"BREAK", {vk::Cancel, -1}}};
    return keys;
}

// The key a Windows-1252 character is typed with on a plain keyboard.
NamedKey keyOfCharacter(uint8_t c) {
    if (std::isalpha(c) && c < 128)
        return {static_cast<uint8_t>(std::toupper(c)), c};
    if (std::isdigit(c))
        return {c, c};
    if (c == ' ')
        return {vk::Space, c};
    return {0, c};
}

bool lookUpKey(const std::string &name, NamedKey &key) {
    if (const auto it = namedKeys().find(name); it != namedKeys().end()) {
        key = it->second;
        return true;
    }
    if (name.size() >= 2 && name[0] == 'F' && std::isdigit(static_cast<uint8_t>(name[1]))) {
        const int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12) {
            key = {static_cast<uint8_t>(vk::F1 + n - 1), -1};
            return true;
        }
    }
    const std::string single = platform::utf8ToCp1252(name);
    if (single.size() == 1) {
        key = keyOfCharacter(static_cast<uint8_t>(single[0]));
        return true;
    }
    return false;
}

Message keyMessage(Msg kind, uint32_t code, uint8_t modifiers) {
    Message m;
    m.kind = kind;
    m.code = code;
    m.modifiers = modifiers;
    return m;
}

// The messages of one keystroke with modifiers, as Windows delivers them.
std::vector<Message> keystroke(NamedKey key, uint8_t modifiers) {
    const bool ctrl = modifiers & platform::ModCtrl;
    const bool alt = modifiers & platform::ModAlt;
    std::vector<Message> out;
    out.push_back(
        keyMessage(alt && !ctrl ? Msg::SysKeyDown : Msg::KeyDown, key.virtualKey, modifiers));
    if (!alt) {
        int character = key.character;
        if (ctrl && key.virtualKey >= 'A' && key.virtualKey <= 'Z')
            character = key.virtualKey & 31;
        else if (ctrl && character > 32 && character != 127)
            character = -1;
        if (character >= 0)
            out.push_back(keyMessage(Msg::Char, static_cast<uint32_t>(character), modifiers));
    }
    out.push_back(keyMessage(Msg::KeyUp, key.virtualKey, modifiers));
    return out;
}

bool parseModifiers(std::string &name, uint8_t &modifiers) {
    static const std::pair<const char *, uint8_t> prefixes[] = {
        {"CTRL+", platform::ModCtrl}, {"ALT+", platform::ModAlt}, {"SHIFT+", platform::ModShift}};
    bool found = true;
    while (found) {
        found = false;
        for (const auto &[prefix, bit] : prefixes) {
            const std::string p = prefix;
            if (name.size() > p.size() && name.compare(0, p.size(), p) == 0) {
                modifiers |= bit;
                name.erase(0, p.size());
                found = true;
            }
        }
    }
    return !name.empty();
}

struct Parser {
    const std::string &script;
    std::vector<ScriptedKey> &keys;
    std::string &error;
    size_t pos = 0;
    bool pendingTime = false;
    uint64_t pendingAt = 0;
    bool pendingSpeaking = false;

    void add(std::vector<Message> messages) {
        ScriptedKey key;
        key.messages = std::move(messages);
        key.timed = pendingTime;
        key.atMs = pendingAt;
        key.whenSpeaking = pendingSpeaking;
        pendingTime = false;
        pendingSpeaking = false;
        keys.push_back(std::move(key));
    }

    bool braced(std::string body) {
        if (body == "SPEAKING" || (body.rfind("AT ", 0) == 0 && pendingSpeaking)) {
            pendingSpeaking = !pendingTime && !pendingSpeaking;
            if (!pendingSpeaking)
                error = "{SPEAKING} and {AT ms} cannot both time one key";
            return pendingSpeaking;
        }
        if (body.rfind("AT ", 0) == 0) {
            char *end = nullptr;
            pendingAt = std::strtoull(body.c_str() + 3, &end, 10);
            pendingTime = end && *end == '\0' && body.size() > 3;
            if (!pendingTime)
                error = "bad time in {" + body + "}";
            return pendingTime;
        }
        if (body.rfind("KEYDOWN ", 0) == 0 || body.rfind("KEYUP ", 0) == 0) {
            const bool down = body.rfind("KEYDOWN ", 0) == 0;
            NamedKey key;
            if (!lookUpKey(body.substr(down ? 8 : 6), key)) {
                error = "unknown key in {" + body + "}";
                return false;
            }
            add({keyMessage(down ? Msg::KeyDown : Msg::KeyUp, key.virtualKey, 0)});
            return true;
        }
        uint8_t modifiers = 0;
        NamedKey key;
        if (!parseModifiers(body, modifiers) || !lookUpKey(body, key)) {
            error = "unknown key {" + body + "}";
            return false;
        }
        add(keystroke(key, modifiers));
        return true;
    }

    bool run() {
        while (pos < script.size()) {
            if (script[pos] == '{') {
                const size_t close = script.find('}', pos + 1);
                if (close == std::string::npos || close == pos + 1) {
                    if (close == pos + 1) { // "{}" types a brace
                        pos = close + 1;
                        add(keystroke(keyOfCharacter('{'), 0));
                        continue;
                    }
                    error = "unclosed { in key script";
                    return false;
                }
                if (!braced(script.substr(pos + 1, close - pos - 1)))
                    return false;
                pos = close + 1;
                continue;
            }
            size_t length = 1;
            const auto lead = static_cast<uint8_t>(script[pos]);
            if (lead >= 0xC0)
                length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            const std::string one = platform::utf8ToCp1252(script.substr(pos, length));
            pos += length;
            if (one.size() != 1)
                continue; // not typeable on this keyboard
            const auto c = static_cast<uint8_t>(one[0]);
            add(keystroke(keyOfCharacter(c),
                          std::isupper(c) && c < 128 ? uint8_t{platform::ModShift} : uint8_t{0}));
        }
        if (pendingTime || pendingSpeaking) {
            error = "{AT ms} or {SPEAKING} at the end of the script types nothing";
            return false;
        }
        return true;
    }
};

} // namespace

bool parseKeyScript(const std::string &script, std::vector<ScriptedKey> &keys, std::string &error) {
    keys.clear();
    Parser parser{script, keys, error};
    return parser.run();
}

} // namespace headless
