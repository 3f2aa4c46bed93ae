#include "tools/voicebuild/unit_sounds.h"

#include <array>
#include <string_view>
#include <vector>

namespace voicebuild {
namespace {

struct Consonant {
    std::string_view letters;
    std::string_view phonemes;
};

// Clusters first, so that the longest spelling wins.
constexpr std::array kConsonants = {
    Consonant{"TCH", "tS"}, Consonant{"DJ", "dZ"}, Consonant{"NH", "n^"}, Consonant{"RR", "x"},
    Consonant{"KS", "ks"},  Consonant{"LH", "l^"}, Consonant{"B", "b"},   Consonant{"C", "k"},
    Consonant{"D", "d"},    Consonant{"F", "f"},   Consonant{"G", "g"},   Consonant{"J", "Z"},
    Consonant{"K", "k"},    Consonant{"L", "l"},   Consonant{"M", "m"},   Consonant{"N", "n"},
    Consonant{"P", "p"},    Consonant{"Q", "k"},   Consonant{"R", "*"},   Consonant{"S", "s"},
    Consonant{"T", "t"},    Consonant{"V", "v"},   Consonant{"X", "S"},   Consonant{"Z", "z"},
};

// A unit made of a lone "r" is the r that closes a syllable (mar, porta).
constexpr std::string_view kSyllableFinalR = "x";
constexpr std::string_view kNasalMurmur = "NN";
constexpr std::string_view kNasalMurmurPhonemes = "n";
// espeak-ng says nothing for a voiced stop alone: it is spoken before a short
// i and cut to its burst and the start of the voicing.
constexpr std::string_view kVoicedStops[] = {"b", "d", "g", "dZ"};
constexpr std::string_view kCarrierVowel = "I";
constexpr uint32_t kVoicedStopMs = 45;

enum class Mark { None, Closed, Nasal };
enum class Kind { Consonant, Vowel, Semivowel };

struct Token {
    Kind kind;
    std::string_view phonemes; // consonants
    char letter = 0;           // vowels and semivowels
};

std::string_view vowelPhonemes(char vowel, Mark mark) {
    switch (vowel) {
    case 'A':
        return mark == Mark::Nasal ? "&~" : mark == Mark::Closed ? "&" : "a";
    case 'E':
        return mark == Mark::Nasal ? "e~" : mark == Mark::Closed ? "e" : "E";
    case 'I':
        return mark == Mark::Nasal ? "i~" : "i";
    case 'O':
        return mark == Mark::Nasal ? "o~" : mark == Mark::Closed ? "o" : "O";
    default:
        return mark == Mark::Nasal ? "u~" : "u";
    }
}

bool tokenize(std::string_view letters, std::vector<Token> &tokens) {
    while (!letters.empty()) {
        const char c = letters.front();
        if (std::string_view("AEIOU").find(c) != std::string_view::npos) {
            tokens.push_back({Kind::Vowel, {}, c});
            letters.remove_prefix(1);
            continue;
        }
        if (c == 'W' || c == 'Y') {
            tokens.push_back({Kind::Semivowel, {}, c});
            letters.remove_prefix(1);
            continue;
        }
        bool matched = false;
        for (const auto &consonant : kConsonants) {
            if (letters.starts_with(consonant.letters)) {
                tokens.push_back({Kind::Consonant, consonant.phonemes, 0});
                letters.remove_prefix(consonant.letters.size());
                matched = true;
                break;
            }
        }
        if (!matched) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<UnitSound> unitSound(const std::string &name) {
    if (name.size() < 2 || name[0] != '$') {
        return std::nullopt;
    }
    std::string_view letters = std::string_view(name).substr(1);
    if (letters == kNasalMurmur) {
        return UnitSound{std::string(kNasalMurmurPhonemes)};
    }
    Mark mark = Mark::None;
    if (letters.ends_with("CIRC")) {
        mark = Mark::Closed;
        letters.remove_suffix(4);
    } else if (letters.ends_with("TIL")) {
        mark = Mark::Nasal;
        letters.remove_suffix(3);
    }
    std::vector<Token> tokens;
    if (letters.empty() || !tokenize(letters, tokens)) {
        return std::nullopt;
    }
    size_t lastVowel = tokens.size();
    bool hasVowel = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == Kind::Vowel) {
            lastVowel = i;
            hasVowel = true;
        }
    }
    if (mark != Mark::None && !hasVowel) {
        return std::nullopt;
    }
    if (tokens.size() == 1 && tokens[0].kind == Kind::Consonant) {
        const std::string_view consonant = tokens[0].phonemes;
        if (consonant == "*") {
            return UnitSound{std::string(kSyllableFinalR)};
        }
        for (const auto stop : kVoicedStops) {
            if (consonant == stop) {
                return UnitSound{std::string(stop) + std::string(kCarrierVowel), kVoicedStopMs};
            }
        }
    }
    std::string result;
    bool stressed = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token &token = tokens[i];
        if (token.kind == Kind::Consonant) {
            result += token.phonemes;
            continue;
        }
        const bool afterVowel = i > 0 && tokens[i - 1].kind == Kind::Vowel;
        const bool beforeVowel = i + 1 < tokens.size() && tokens[i + 1].kind == Kind::Vowel;
        if (token.kind == Kind::Semivowel) {
            const bool glide = beforeVowel && !afterVowel;
            if (token.letter == 'W') {
                result += glide ? "w" : "U";
            } else {
                result += glide ? "j" : "I";
            }
            continue;
        }
        if (!stressed) {
            result += '\'';
            stressed = true;
        }
        const Mark vowelMark = i == lastVowel ? mark : Mark::None;
        const bool nasalDiphthongAu = vowelMark == Mark::Nasal && token.letter == 'A' &&
                                      i + 1 < tokens.size() && tokens[i + 1].letter == 'W';
        if (nasalDiphthongAu) {
            result += "&U~";
            ++i;
            continue;
        }
        result += vowelPhonemes(token.letter, vowelMark);
    }
    return UnitSound{result};
}

} // namespace voicebuild
