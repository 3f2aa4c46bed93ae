// Money, times of day, the number sign and Roman numerals, read as words.
#include "tradutor/quelo/readings.h"

#include "platform/cp1252_literal.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/normalise.h"

#include <array>
#include <cstdint>
#include <sstream>
#include <vector>

using namespace platform::literals;

namespace quelo {
namespace {

constexpr char Ordinal = platform::cp1252Char(U'º');
constexpr char Degree = platform::cp1252Char(U'°'); // often typed for º
constexpr unsigned MaxHour = 23;
constexpr unsigned MaxMinute = 59;
constexpr unsigned MaxOrdinalRoman = 10;
constexpr unsigned MaxRoman = 3999;
constexpr size_t MaxCentDigits = 2;

char at(const std::string &text, size_t i) {
    return i < text.size() ? text[i] : '\0';
}

bool digitAt(const std::string &text, size_t i) {
    return at(text, i) >= '0' && at(text, i) <= '9';
}

bool letterAt(const std::string &text, size_t i) {
    return i < text.size() && isLetter(text[i]);
}

std::vector<std::string> wordsOf(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string joined(const std::vector<std::string> &words) {
    std::string text;
    for (const std::string &word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

// Cardinal words without the blanks the scale words leave at their end.
std::string cardinal(uint64_t value) {
    return joined(wordsOf(cardinalWords(value)));
}

// Hours and minutes say fourteen the way it is said on the clock.
std::string clockCardinal(uint64_t value) {
    std::vector<std::string> words = wordsOf(cardinalWords(value));
    for (std::string &word : words)
        if (word == "quatorze")
            word = "catorze";
    return joined(words);
}

// An hour is feminine: uma hora, duas horas, vinte e uma horas.
std::string hourWords(unsigned hour) {
    std::vector<std::string> words = wordsOf(clockCardinal(hour));
    if (words.back() == "um")
        words.back() = "uma";
    else if (words.back() == "dois")
        words.back() = "duas";
    return joined(words);
}

// Digits from pos, at most maxDigits of them; the count taken is returned.
size_t digitsAt(const std::string &text, size_t pos, size_t maxDigits, uint64_t &value) {
    size_t count = 0;
    value = 0;
    while (count < maxDigits && digitAt(text, pos + count)) {
        value = value * 10 + static_cast<uint64_t>(text[pos + count] - '0');
        ++count;
    }
    return count;
}

// The scale words that a sum of money is written with ("R$ 5 mil") and
// whether "de" comes before "reais" after them.
struct Scale {
    const char *word;
    bool takesDe;
};
constexpr std::array<Scale, 7> Scales = {{
    {"mil", false},
    {"milhão"_cp1252, true},
    {"milhões"_cp1252, true},
    {"bilhão"_cp1252, true},
    {"bilhões"_cp1252, true},
    {"trilhão"_cp1252, true},
    {"trilhões"_cp1252, true},
}};

const Scale *scaleWord(const std::string &word) {
    const std::string lower = lowerCased(word);
    for (const Scale &scale : Scales)
        if (lower == scale.word)
            return &scale;
    return nullptr;
}

// A written scale word after the amount: " mil", " milhões" and so on,
// followed by no further letter.
const Scale *writtenScaleAt(const std::string &text, size_t pos, size_t &end) {
    if (at(text, pos) != ' ' || !letterAt(text, pos + 1))
        return nullptr;
    size_t wordEnd = pos + 1;
    while (letterAt(text, wordEnd))
        ++wordEnd;
    const Scale *scale = scaleWord(text.substr(pos + 1, wordEnd - pos - 1));
    if (scale != nullptr)
        end = wordEnd;
    return scale;
}

std::string reaisWords(uint64_t reais, const Scale *writtenScale) {
    std::string words = cardinal(reais);
    if (writtenScale != nullptr)
        return words + " " + writtenScale->word + (writtenScale->takesDe ? " de reais" : " reais");
    if (reais == 1)
        return words + " real";
    const std::vector<std::string> spoken = wordsOf(words);
    const Scale *lastScale = scaleWord(spoken.back());
    return words + (lastScale != nullptr && lastScale->takesDe ? " de reais" : " reais");
}

// The integer part of a sum, with full stops between groups of three digits.
size_t amountAt(const std::string &text, size_t pos, uint64_t &value) {
    size_t end = pos + digitsAt(text, pos, MaxNumberDigits, value);
    size_t digits = end - pos;
    while (at(text, end) == '.' && digitAt(text, end + 3) && !digitAt(text, end + 4) &&
           digitAt(text, end + 1) && digitAt(text, end + 2) && digits + 3 <= MaxNumberDigits) {
        uint64_t group = 0;
        digitsAt(text, end + 1, 3, group);
        value = value * 1000 + group;
        digits += 3;
        end += 4;
    }
    return end;
}

// The canonical Roman form of 1..3999.
std::string romanForm(unsigned value) {
    static const std::array<std::pair<unsigned, const char *>, 13> parts = {{
        {1000, "M"},
        {900, "CM"},
        {500, "D"},
        {400, "CD"},
        {100, "C"},
        {90, "XC"},
        {50, "L"},
        {40, "XL"},
        {10, "X"},
        {9, "IX"},
        {5, "V"},
        {4, "IV"},
        {1, "I"},
    }};
    std::string form;
    for (const auto &[amount, letters] : parts)
        for (; value >= amount; value -= amount)
            form += letters;
    return form;
}

unsigned romanDigit(char c) {
    switch (c) {
    case 'I':
        return 1;
    case 'V':
        return 5;
    case 'X':
        return 10;
    case 'L':
        return 50;
    case 'C':
        return 100;
    case 'D':
        return 500;
    case 'M':
        return 1000;
    default:
        return 0;
    }
}

bool isCapitalised(const std::string &word) {
    if (word.empty() || upperLetter(word[0]) != word[0] || lowerLetter(word[0]) == word[0])
        return false;
    // A word in capitals throughout (a text written in capitals) is no name:
    // "EU VI" is a verb there.
    for (const char c : word.substr(1))
        if (isLetter(c) && lowerLetter(c) == c)
            return true;
    return word.size() == 1;
}

bool isOneOf(const std::string &word, std::initializer_list<const char *> list) {
    const std::string lower = lowerCased(word);
    for (const char *entry : list)
        if (lower == entry)
            return true;
    return false;
}

} // namespace

std::optional<Reading> readMoney(const std::string &text, size_t pos) {
    if (upperLetter(at(text, pos)) != 'R' || at(text, pos + 1) != '$' || letterAt(text, pos - 1))
        return std::nullopt;
    size_t start = pos + 2;
    while (at(text, start) == ' ')
        ++start;
    if (!digitAt(text, start))
        return std::nullopt;
    uint64_t reais = 0;
    size_t end = amountAt(text, start, reais);
    uint64_t cents = 0;
    if (at(text, end) == ',' && digitAt(text, end + 1)) {
        const size_t centDigits = digitsAt(text, end + 1, MaxCentDigits + 1, cents);
        if (centDigits > MaxCentDigits)
            return std::nullopt;
        if (centDigits == 1)
            cents *= 10;
        end += 1 + centDigits;
    }
    const Scale *writtenScale = cents == 0 ? writtenScaleAt(text, end, end) : nullptr;
    std::string words;
    if (reais > 0 || cents == 0)
        words = reaisWords(reais, writtenScale);
    if (cents > 0)
        words += (words.empty() ? "" : " e ") + cardinal(cents) +
                 (cents == 1 ? " centavo" : " centavos");
    return Reading{words, end};
}

std::optional<Reading> readTime(const std::string &text, size_t pos) {
    uint64_t hour = 0;
    const size_t hourDigits = digitsAt(text, pos, 3, hour);
    if (hourDigits == 0 || hourDigits > 2 || digitAt(text, pos - 1) ||
        upperLetter(at(text, pos + hourDigits)) != 'H')
        return std::nullopt;
    size_t end = pos + hourDigits + 1;
    uint64_t minute = 0;
    const size_t minuteDigits = digitsAt(text, end, 3, minute);
    if (minuteDigits != 0 && minuteDigits != 2)
        return std::nullopt;
    end += minuteDigits;
    if (minuteDigits == 2 && lowerCased(text.substr(end, 3)) == "min")
        end += 3;
    if (letterAt(text, end) || digitAt(text, end))
        return std::nullopt;
    if (minuteDigits == 2 && (hour > MaxHour || minute > MaxMinute))
        return std::nullopt;
    const std::string hours = hourWords(static_cast<unsigned>(hour));
    if (minute == 0)
        return Reading{hours + (hour == 1 ? " hora" : " horas"), end};
    return Reading{hours + " e " + clockCardinal(minute), end};
}

std::optional<Reading> readNumberSign(const std::string &text, size_t pos) {
    if (lowerLetter(at(text, pos)) != 'n' || (pos > 0 && letterAt(text, pos - 1)))
        return std::nullopt;
    size_t end = pos + 1;
    if (at(text, end) == '.')
        ++end;
    if (at(text, end) != Ordinal && at(text, end) != Degree)
        return std::nullopt;
    ++end;
    if (at(text, end) == 's' && !letterAt(text, end + 1))
        return Reading{"números"_cp1252, end + 1};
    if (letterAt(text, end))
        return std::nullopt;
    return Reading{"número"_cp1252, end};
}

unsigned romanValue(const std::string &word) {
    if (word.empty() || word.size() > 15)
        return 0;
    unsigned value = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        const unsigned digit = romanDigit(word[i]);
        if (digit == 0)
            return 0;
        const unsigned next = i + 1 < word.size() ? romanDigit(word[i + 1]) : 0;
        value = next > digit ? value - digit : value + digit;
    }
    return value >= 1 && value <= MaxRoman && romanForm(value) == word ? value : 0;
}

std::string romanReading(const std::string &word, const std::string &previousWord) {
    const unsigned value = romanValue(word);
    // A lone L, C, D or M is rather an initial than a numeral.
    if (value == 0 || (word.size() == 1 && value >= 50))
        return "";
    const bool ordinalTitle = isOneOf(previousWord, {"século"_cp1252, "parte", "ato", "canto"});
    const bool cardinalTitle = isOneOf(
        previousWord, {"séculos"_cp1252, "capítulo"_cp1252, "volume", "tomo", "artigo",
                       "título"_cp1252, "item", "cena", "fase", "anexo", "seção"_cp1252, "inciso"});
    if (cardinalTitle)
        return cardinal(value);
    // After a name only I, V and X count: CD, MC, XL after a capitalised word
    // are rather words than a king's or a pope's number.
    if (!ordinalTitle &&
        (!isCapitalised(previousWord) || word.find_first_not_of("IVX") != std::string::npos))
        return "";
    return value <= MaxOrdinalRoman ? ordinalWords(value, Gender::Masculine) : cardinal(value);
}

} // namespace quelo
