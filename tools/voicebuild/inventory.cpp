#include "tools/voicebuild/inventory.h"

#include "tools/voicebuild/unit_names.h"
#include "tools/voicebuild/unit_sounds.h"

#include <array>
#include <string_view>

namespace voicebuild {
namespace {

constexpr std::array<std::string_view, 35> kOnsets = {
    "",   "b",  "c",  "d",  "f",  "g",  "j",  "k",  "l",  "m",  "n",  "p",
    "q",  "r",  "s",  "t",  "v",  "x",  "z",  "dj", "nh", "rr", "ks", "tch",
    "kw", "gw", "qw", "bl", "br", "pl", "pr", "tr", "dr", "fl", "fr"};
constexpr std::string_view kVowels = "aeiou";
constexpr std::array<std::string_view, 7> kVowelForms = {"", "^", "~", "w", "y", "~w", "~y"};
constexpr std::array<std::string_view, 6> kCodas = {"", "s", "r", "l", "m", "n"};

void addWithFallbacks(const std::string &name, Inventory &inventory) {
    const std::string upper = upperAscii(name);
    if (upper.size() <= kMaxIndexName && unitSound(upper)) {
        inventory.units.insert(upper);
    } else {
        inventory.unrecorded.insert(upper);
    }
    for (const auto &piece : fallbackNames(name)) {
        addWithFallbacks(piece, inventory);
    }
}

} // namespace

std::vector<std::string> syllablePhonemes() {
    std::vector<std::string> words;
    for (const auto onset : kOnsets) {
        for (const char vowel : kVowels) {
            for (const auto form : kVowelForms) {
                for (const auto coda : kCodas) {
                    words.push_back("[" + std::string(onset) + vowel + std::string(form) +
                                    std::string(coda) + "]");
                }
            }
        }
    }
    for (const char vowel : kVowels) {
        words.push_back(std::string("[") + vowel + "^y]");
        words.push_back(std::string("[") + vowel + "rr]");
    }
    words.push_back("[nn]");
    return words;
}

Inventory collectInventory(const std::vector<std::string> &phonemeStrings) {
    Inventory inventory;
    for (const auto &phonemes : phonemeStrings) {
        for (const auto &name : lookupNames(phonemes)) {
            addWithFallbacks(name, inventory);
        }
    }
    return inventory;
}

} // namespace voicebuild
