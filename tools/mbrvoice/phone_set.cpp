#include "tools/mbrvoice/phone_set.h"

namespace mbrvoice {

const std::vector<Phone> &phoneSet() {
    using enum PhoneClass;
    static const std::vector<Phone> phones = {
        {"_", "_", Silence},     {"a", "a", Vowel},      {"e", "e", Vowel},
        {"ee", "E", Vowel},      {"i", "i", Vowel},      {"o", "o", Vowel},
        {"oo", "O", Vowel},      {"u", "u", Vowel},      {"@", "&", Vowel},
        {"an", "&~", Vowel},     {"en", "e~", Vowel},    {"in", "i~", Vowel},
        {"on", "o~", Vowel},     {"un", "u~", Vowel},    {"y", "j", Glide},
        {"w", "w", Glide},       {"p", "p", Consonant},  {"b", "b", Consonant},
        {"t", "t", Consonant},   {"d", "d", Consonant},  {"k", "k", Consonant},
        {"g", "g", Consonant},   {"f", "f", Consonant},  {"v", "v", Consonant},
        {"s", "s", Consonant},   {"z", "z", Consonant},  {"x", "S", Consonant},
        {"j", "Z", Consonant},   {"m", "m", Consonant},  {"n", "n", Consonant},
        {"nh", "n^", Consonant}, {"l", "l", Consonant},  {"lh", "l^", Consonant},
        {"r", "*", Consonant},   {"rr", "x", Consonant}, {"r2", "r", Consonant},
        {"s2", "s", Consonant},
    };
    return phones;
}

std::string mnemonicBefore(const Phone &first, const Phone &second) {
    const bool iSound = second.name == "i" || second.name == "in" || second.name == "y";
    if (iSound && first.name == "t") {
        return "tS";
    }
    if (iSound && first.name == "d") {
        return "dZ";
    }
    return first.mnemonic;
}

} // namespace mbrvoice
