// Unit strings to reference phones.
//
// The unit alphabet is coarser than the reference set in a few places, where
// this mapping has to guess:
// - "rr" is the one strong r: before a vowel of its own group it is R; at the
//   end of a group (a syllable-final r) it is X, or R before a voiced
//   consonant, the reference's assimilation, which the units leave implicit;
// - a semivowel is nasal (j~ w~) when it follows a nasal vowel or stands
//   before a nasal mark; the units do not mark it on their own;
// - a nasal vowel has no open or closed quality: "e~" and "e^~" are both e~;
// - stress (upper-case vowels) is dropped: the reference carries none.
#include "tools/lexscore/phone_map.h"

#include <cctype>

namespace lexscore {
namespace {

bool isUnitVowel(char c) {
    const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return l == 'a' || l == 'e' || l == 'i' || l == 'o' || l == 'u';
}

// A voiced consonant starts the next group (after the blank at `at`).
bool voicedFollows(const std::string &s, size_t at) {
    while (at < s.size() && s[at] == ' ')
        ++at;
    return at < s.size() && std::string("bdgvzjmnlr").find(s[at]) != std::string::npos;
}

// One word's units with the separators taken out; a blank (a group end) is kept.
std::string groupText(const std::string &phonemes) {
    std::string text;
    for (const char c : phonemes)
        if (c != '[' && c != ']' && c != '/')
            text += c;
    return text;
}

} // namespace

std::vector<std::string> unitsToPhones(const std::string &phonemes) {
    const std::string s = groupText(phonemes);
    std::vector<std::string> phones;
    bool lastNasal = false;
    size_t i = 0;
    const auto startsWith = [&](const char *prefix) {
        return s.compare(i, std::string(prefix).size(), prefix) == 0;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ') {
            ++i;
            continue;
        }
        if (c == '_' && i + 1 < s.size()) {
            phones.push_back(std::string("_") + s[i + 1]);
            i += 2;
            continue;
        }
        if (isUnitVowel(c)) {
            const char v = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            size_t j = i + 1;
            bool closed = false;
            bool nasal = false;
            while (j < s.size() && (s[j] == '^' || s[j] == '~')) {
                closed = closed || s[j] == '^';
                nasal = nasal || s[j] == '~';
                ++j;
            }
            std::string phone(1, v);
            if (nasal)
                phone += '~';
            else if (v == 'e' || v == 'o')
                phone = closed ? std::string(1, v) : std::string(1, v == 'e' ? 'E' : 'O');
            phones.push_back(phone);
            lastNasal = nasal;
            i = j;
            continue;
        }
        if (c == 'w' || c == 'y') {
            const bool nasal = lastNasal || (i + 1 < s.size() && s[i + 1] == '~');
            phones.push_back(std::string(c == 'w' ? "w" : "j") + (nasal ? "~" : ""));
            i += (i + 1 < s.size() && s[i + 1] == '~') ? 2 : 1;
            continue;
        }
        lastNasal = false;
        if (startsWith("tch")) {
            phones.push_back("tS");
            i += 3;
        } else if (startsWith("dj")) {
            phones.push_back("dZ");
            i += 2;
        } else if (startsWith("nh")) {
            phones.push_back("J");
            i += 2;
        } else if (startsWith("lh")) {
            phones.push_back("L");
            i += 2;
        } else if (startsWith("rr")) {
            const bool vowelFollows = i + 2 < s.size() && isUnitVowel(s[i + 2]);
            phones.push_back(vowelFollows || voicedFollows(s, i + 2) ? "R" : "X");
            i += 2;
        } else {
            switch (c) {
            case 'x':
                phones.push_back("S");
                break;
            case 'j':
                phones.push_back("Z");
                break;
            case 'c':
            case 'q':
                phones.push_back("k");
                break;
            default:
                phones.push_back(std::string(1, c));
            }
            ++i;
        }
    }
    return phones;
}

namespace {

// The voice's names that differ from the reference's.
std::string referenceName(const std::string &name) {
    static const std::pair<const char *, const char *> Renamed[] = {
        {"ee", "E"},  {"oo", "O"},  {"@", "a"},   {"an", "a~"}, {"en", "e~"},
        {"in", "i~"}, {"on", "o~"}, {"un", "u~"}, {"x", "S"},   {"j", "Z"},
        {"nh", "J"},  {"lh", "L"},  {"rr", "R"},  {"y", "j"}};
    for (const auto &[ours, reference] : Renamed)
        if (name == ours)
            return reference;
    return name;
}

bool isNasalVowel(const std::string &name) {
    return name == "an" || name == "en" || name == "in" || name == "on" || name == "un";
}

// An i sound: after it, the voice's t and d are tch and dj.
bool isISound(const std::string &name) {
    return name == "i" || name == "in" || name == "y";
}

bool isVoicedConsonant(const std::string &name) {
    for (const char *voiced : {"b", "d", "g", "v", "z", "j", "m", "n", "nh", "lh"})
        if (name == voiced)
            return true;
    return false;
}

} // namespace

std::vector<std::string> queloToPhones(const std::vector<std::string> &lines) {
    std::vector<std::string> names;
    for (const std::string &line : lines) {
        std::string name;
        for (const char c : line)
            if (c != '>' && c != '\xa8')
                name += c;
        if (!name.empty())
            names.push_back(name);
    }
    std::vector<std::string> phones;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string &name = names[i];
        const std::string next = i + 1 < names.size() ? names[i + 1] : std::string();
        const bool afterNasal = i > 0 && isNasalVowel(names[i - 1]);
        if (name == "r2")
            phones.push_back(isVoicedConsonant(next) ? "R" : "X");
        else if (name == "s2")
            phones.push_back(isVoicedConsonant(next) ? "z" : "s");
        else if ((name == "t" || name == "d") && isISound(next))
            phones.push_back(name == "t" ? "tS" : "dZ");
        else if ((name == "y" || name == "w") && afterNasal)
            phones.push_back(name == "y" ? "j~" : "w~");
        else
            phones.push_back(referenceName(name));
    }
    return phones;
}

std::vector<std::string> splitPhones(const std::string &field) {
    std::vector<std::string> phones;
    std::string phone;
    for (const char c : field) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!phone.empty())
                phones.push_back(phone);
            phone.clear();
        } else {
            phone += c;
        }
    }
    if (!phone.empty())
        phones.push_back(phone);
    return phones;
}

} // namespace lexscore
