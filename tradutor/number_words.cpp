#include "tradutor/number_words.h"
#include "platform/cp1252_literal.h"

#include <array>

using namespace platform::literals;

namespace number_words {
namespace {

// Windows-1252, indexed by digit.
constexpr std::array<const char *, 10> Units = {"zero",  "um",   "dois", "tres", "quatro",
                                                "cinco", "seis", "sete", "oito", "nove"};
constexpr std::array<const char *, 10> Teens = {"dez",      "onze",    "doze",      "treze",
                                                "quatorze", "quinze",  "dezesseis", "dezessete",
                                                "dezoito",  "dezenove"};
constexpr std::array<const char *, 10> Tens = {"",         "",          "vinte",    "trinta",
                                               "quarenta", "cinquenta", "sessenta", "setenta",
                                               "oitenta",  "noventa"};
constexpr std::array<const char *, 10> Hundreds = {
    "",           "cento",      "duzentos",   "trezentos",  "quatrocentos",
    "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};
constexpr const char *OneHundred = "cem";
constexpr int Three = 3, Fifty = 5;
constexpr const char *PronouncedThree = "três"_cp1252;
constexpr const char *PronouncedFifty = "cinqüenta"_cp1252;

struct ScaleWord {
    const char *one;  // the group holds 1
    const char *many; // any other value
};

// Groups 0..3; each word ends in a blank.
constexpr std::array<ScaleWord, 4> Scales = {{
    {"trilhão "_cp1252, "trilhões "_cp1252},
    {"bilhão "_cp1252, "bilhões "_cp1252},
    {"milhão "_cp1252, "milhões "_cp1252},
    {"mil ", "mil "},
}};

std::string tensWord(int tens, Spelling spelling) {
    return spelling == Spelling::Pronounced && tens == Fifty ? PronouncedFifty : Tens[tens];
}

} // namespace

std::string digitWord(int digit, Spelling spelling) {
    return spelling == Spelling::Pronounced && digit == Three ? PronouncedThree : Units[digit];
}

std::string hundredsWords(unsigned value, Spelling spelling) {
    if (value == 0)
        return "";
    if (value == 100)
        return OneHundred;
    const auto hundreds = static_cast<int>(value / 100), tens = static_cast<int>(value / 10 % 10),
               units = static_cast<int>(value % 10);
    std::string words;
    if (hundreds != 0) {
        words = Hundreds[hundreds];
        if (tens == 0 && units == 0)
            return words;
        words += " e ";
    }
    if (tens == 1)
        return words + Teens[units];
    if (tens != 0) {
        words += tensWord(tens, spelling);
        if (units == 0)
            return words;
        words += " e ";
    }
    return words + digitWord(units, spelling);
}

std::string groupWords(unsigned value, int group, Spelling spelling) {
    std::string words = hundredsWords(value, spelling);
    if (group < GroupCount - 1 && value != 0) {
        const ScaleWord &scale = Scales[static_cast<size_t>(group)];
        words += " ";
        words += value == 1 ? scale.one : scale.many;
    }
    return words;
}

std::string cardinalWords(uint64_t value, Spelling spelling) {
    if (value == 0)
        return digitWord(0, spelling);
    std::array<std::string, GroupCount> groups;
    for (int g = GroupCount; g-- > 0;) {
        groups[g] = groupWords(static_cast<unsigned>(value % 1000), g, spelling);
        value /= 1000;
    }
    int last = 0;
    for (int g = 0; g < GroupCount; ++g)
        if (!groups[g].empty())
            last = g;
    // "e " stands before the last group when an earlier group was spoken.
    std::string words;
    for (int g = 0; g <= last; ++g) {
        if (g == last && !words.empty())
            words += "e ";
        words += groups[g];
    }
    // One thousand is "mil", not "um mil".
    if (words.starts_with("um mil") && !words.starts_with("um milh"))
        words.erase(0, 3);
    return words;
}

} // namespace number_words
