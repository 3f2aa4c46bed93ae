// Readings of written forms that a Brazilian reader says as words rather than
// as their characters: sums of money, times of day, Roman numerals after a
// name or a title word, and the number sign. The text normalisation tries
// them before its general cases.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace quelo {

// The words for a written form and the position just after it.
struct Reading {
    std::string words;
    size_t end;
};

// "R$ 19,90", "R$19", "R$ 1.250,5": reais and centavos.
std::optional<Reading> readMoney(const std::string &text, size_t pos);

// "14h", "14h30", "9h05min", "14H30": the hour (feminine: uma, duas) and
// the minutes; an hour of 24 or more, or minutes of 60 or more, are no time.
std::optional<Reading> readTime(const std::string &text, size_t pos);

// "nº", "n.º", "Nº" (and "n°", the degree sign typed for it) not preceded by
// a letter: "número".
std::optional<Reading> readNumberSign(const std::string &text, size_t pos);

// The value of a Roman numeral written in capitals in its usual form
// (XXI, IV, MCMLXXX), or 0 for any other word.
unsigned romanValue(const std::string &word);

// How a Roman numeral is read after the word before it (empty: it is not a
// numeral there). After a capitalised word (Pedro II, Luís XIV) and after
// século, parte, ato, canto it is an ordinal up to ten and a cardinal above;
// after capítulo, volume, tomo, artigo and the like, a cardinal.
std::string romanReading(const std::string &word, const std::string &previousWord);

} // namespace quelo
