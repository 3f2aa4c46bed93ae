// Stress assignment: the last accented vowel, or else a right-to-left state
// machine over the plain vowels with the endings a, e, o (and with m or s),
// i, u and consonants, vowel pairs, and the u of qu and gu.
#include "tradutor/quelo/stress.h"

#include "platform/cp1252_literal.h"
#include "tradutor/quelo/letters.h"

#include <array>

using namespace platform::literals;

namespace quelo {
namespace {

constexpr size_t MinStressedLength = 3;

// POR DAS DOS COM NÃO SIM
constexpr std::array<const char *, 6> UnstressedWords = {"POR", "DAS",        "DOS",
                                                         "COM", "NÃO"_cp1252, "SIM"};

// à á â ã é ê í ó ô õ ú
bool isAccentedVowel(char c) {
    switch (static_cast<uint8_t>(c)) {
    case 224:
    case 225:
    case 226:
    case 227:
    case 233:
    case 234:
    case 237:
    case 243:
    case 244:
    case 245:
    case 250:
        return true;
    default:
        return false;
    }
}

// a e i o u w y ü
bool isPlainVowel(char c) {
    switch (c) {
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
    case 'w':
    case 'y':
    case platform::cp1252Char(U'ü'):
        return true;
    default:
        return false;
    }
}

bool isAeo(char c) {
    return c == 'a' || c == 'e' || c == 'o';
}

bool isGq(char c) {
    return c == 'g' || c == 'q';
}

enum class Scan {
    End,
    FinalAeo,
    Seek,
    SeekIu,
    UBeforeFinal,
    UBeforeIu,
    FinalU,
    FinalI,
    UBeforeI,
    FinalConsonant,
    FinalM,
};

// The right-to-left machine over a lower-cased word with a plain vowel.
size_t scanStress(const std::string &word) {
    size_t result = 0;
    Scan scan = Scan::End;
    for (size_t here = word.size(); here >= 1; --here) {
        const char c = word[here - 1];
        switch (scan) {
        case Scan::End:
            if (isAeo(c)) {
                result = here;
                scan = Scan::FinalAeo;
            } else if (c == 'u') {
                result = here;
                scan = Scan::FinalU;
            } else if (c == 'i') {
                result = here;
                scan = Scan::FinalI;
            } else if (c == 'm') {
                scan = Scan::FinalM;
            } else if (c != 's') {
                scan = Scan::FinalConsonant;
            }
            break;
        case Scan::FinalAeo:
            if (c == 'u')
                scan = Scan::UBeforeFinal;
            else if (isPlainVowel(c))
                return here;
            else
                scan = Scan::Seek;
            break;
        case Scan::Seek:
            if (isAeo(c))
                return here;
            if (c == 'i' || c == 'u') {
                result = here;
                scan = Scan::SeekIu;
            }
            break;
        case Scan::SeekIu:
            if (isAeo(c))
                return here;
            if (c != 'u')
                return result;
            scan = Scan::UBeforeIu;
            break;
        case Scan::UBeforeFinal:
            if (!isGq(c))
                return here + 1;
            result = here + 2;
            scan = Scan::Seek;
            break;
        case Scan::UBeforeIu:
        case Scan::UBeforeI:
            return isGq(c) ? here + 2 : here + 1;
        case Scan::FinalU:
            return c == 'a' || c == 'e' || c == 'i' || c == 'o' ? here : result;
        case Scan::FinalI:
            if (isAeo(c))
                result = here;
            else if (c == 'u')
                scan = Scan::UBeforeI;
            else
                return result;
            break;
        case Scan::FinalConsonant:
            if (isPlainVowel(c))
                return here;
            break;
        case Scan::FinalM:
            if (c == 'i' || c == 'o' || c == 'u')
                return here;
            if (c == 'a' || c == 'e') {
                result = here;
                scan = Scan::FinalAeo;
            } else {
                scan = Scan::End;
            }
            break;
        }
    }
    return result;
}

} // namespace

bool isUnstressedWord(const std::string &word) {
    if (word.size() < MinStressedLength)
        return true;
    const std::string upper = upperCased(word);
    for (const char *unstressed : UnstressedWords)
        if (upper == unstressed)
            return true;
    return false;
}

size_t findStress(const std::string &word) {
    const std::string lower = lowerCased(word);
    bool hasPlainVowel = false;
    for (size_t here = lower.size(); here >= 1; --here) {
        if (isAccentedVowel(lower[here - 1]))
            return here;
        hasPlainVowel = hasPlainVowel || isPlainVowel(lower[here - 1]);
    }
    return hasPlainVowel ? scanStress(lower) : 0;
}

} // namespace quelo
