#include "tools/voicebuild/unit_names.h"

#include <string_view>

namespace voicebuild {
namespace {

constexpr size_t kMaxGroup = 40;
// A group that already holds this many characters ends at the next "/".
constexpr size_t kGroupCutLength = 9;

bool isUnitVowel(char c) {
    return std::string_view("AEIOUaeiouwy").find(c) != std::string_view::npos;
}

bool isUnitConsonant(char c) {
    return std::string_view("bcdfgjklmnpqrstvxz").find(c) != std::string_view::npos;
}

bool isSemivowel(char c) {
    return c == 'w' || c == 'y';
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string cut(std::string text, size_t length) {
    if (text.size() > length) {
        text.resize(length);
    }
    return text;
}

// Reads one group from position; position is left after its terminator.
std::string readGroup(const std::string &phonemes, size_t &position) {
    if (phonemes[position] == '[') {
        ++position;
    }
    std::string group;
    while (position < phonemes.size() && phonemes[position] != ' ' && phonemes[position] != ']') {
        const char c = phonemes[position];
        if (c == '/') {
            if (group.size() >= kGroupCutLength) {
                break;
            }
            ++position;
        } else if (c == '_') {
            group += c;
            if (position + 1 < phonemes.size()) {
                group += phonemes[position + 1];
            }
            position += 2;
        } else if (c == '|') {
            group = "_TRACO";
            ++position;
        } else {
            group += c;
            ++position;
        }
    }
    ++position;
    return cut(group, kMaxGroup);
}

bool isPunctuationPause(const std::string &group) {
    return group.size() == 2 && group[0] == '_' &&
           std::string_view(",.;:").find(group[1]) != std::string_view::npos;
}

struct Collector {
    std::vector<std::string> names;

    void emitUnit(const std::string &unitText) {
        const std::string unit = cut(unitText, kMaxUnitName);
        if (unit.empty() || unit[0] == '_') {
            return; // a letter recording
        }
        std::string name = "$";
        for (const char c : unit) {
            if (c == '^' || c == '~') {
                names.push_back(cut(name + (c == '^' ? "CIRC" : "TIL"), kMaxUnitName));
                name = "$";
            } else {
                name += c;
            }
        }
        if (name.size() > 1) {
            names.push_back(cut(name, kMaxUnitName));
        }
    }

    void splitGroup(const std::string &s) {
        const size_t length = s.size();
        if (length == 0) {
            return;
        }
        if (length == 1) {
            emitUnit(s);
            return;
        }
        const char last = s[length - 1];
        const char beforeLast = s[length - 2];
        if (length > 2) {
            const std::string_view head(s);
            const bool keptTogether = head.starts_with("dj") || head.starts_with("nh") ||
                                      head.starts_with("rr") || head.starts_with("ks") ||
                                      head.starts_with("tch");
            if (isUnitConsonant(s[0]) && isUnitConsonant(s[1]) && !keptTogether) {
                emitUnit(s.substr(0, 1));
                splitGroup(s.substr(1));
                return;
            }
            if (endsWith(s, "rr")) {
                splitGroup(s.substr(0, length - 2));
                emitUnit("rr");
                return;
            }
            if (isUnitConsonant(last)) {
                splitGroup(s.substr(0, length - 1));
                splitGroup(s.substr(length - 1));
                return;
            }
        }
        if (isSemivowel(last)) {
            if (isUnitVowel(beforeLast) && length > 2) {
                splitGroup(s.substr(0, length - 1));
                emitUnit(s.substr(length - 2));
                return;
            }
            if ((beforeLast == '^' || beforeLast == '~') && length >= 3) {
                if (length > 3) {
                    splitGroup(beforeLast == '~' ? s.substr(0, length - 2) + "^"
                                                 : s.substr(0, length - 1));
                }
                emitUnit(std::string{s[length - 3], last, beforeLast});
                return;
            }
        }
        if (s != "_s" && last == 's') {
            splitGroup(s.substr(0, length - 1));
            emitUnit("s");
            return;
        }
        emitUnit(s);
    }
};

void resolveInto(const std::string &name, const std::set<std::string> &voice, Resolution &result) {
    const std::string upper = upperAscii(name);
    if (voice.contains(upper)) {
        result.played.push_back(upper);
        return;
    }
    if (name.size() <= 2) {
        result.noise = true;
        return;
    }
    const auto pieces = fallbackNames(name);
    if (pieces.empty()) {
        result.silent = true;
        return;
    }
    for (const auto &piece : pieces) {
        resolveInto(piece, voice, result);
    }
}

} // namespace

std::string upperAscii(std::string text) {
    for (char &c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::vector<std::string> lookupNames(const std::string &phonemes) {
    Collector collector;
    size_t position = 0;
    while (position < phonemes.size()) {
        const std::string group = readGroup(phonemes, position);
        if (!isPunctuationPause(group)) {
            collector.splitGroup(group);
        }
    }
    return collector.names;
}

std::vector<std::string> fallbackNames(const std::string &fullName) {
    const std::string name = cut(fullName, kMaxUnitName);
    const size_t length = name.size();
    if (length <= 2 || name[0] == '_') {
        return {};
    }
    if (isUnitVowel(name.back())) {
        return {name.substr(0, length - 1), std::string("$") + name.back()};
    }
    if (endsWith(name, "CIRC") && length >= 7) {
        return {name.substr(0, length - 5), "$" + name.substr(length - 5)};
    }
    if (endsWith(name, "TIL")) {
        const std::string base = name.substr(0, length - 3);
        const char vowel = upperAscii(base.substr(base.size() - 1))[0];
        const bool closeVowel = vowel == 'I' || vowel == 'U';
        return {closeVowel ? base : cut(base + "CIRC", kMaxUnitName), "$nn"};
    }
    return {};
}

Resolution resolve(const std::string &name, const std::set<std::string> &voice) {
    Resolution result;
    resolveInto(name, voice, result);
    return result;
}

} // namespace voicebuild
