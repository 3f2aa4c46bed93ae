// Portuguese cardinal number words (masculine), shared by the number reader,
// which names its recordings after them, and the built-in engine, which
// pronounces them. The two spell two words differently: the recordings are
// named "tres" and "cinquenta", the engine reads "três" and "cinqüenta".
#pragma once

#include <cstdint>
#include <string>

namespace number_words {

enum class Spelling { RecordingNames, Pronounced };

// Groups of three digits in a number: 10^12, 10^9, 10^6, 10^3 and the units.
constexpr int GroupCount = 5;

// The word of one digit ("zero" for 0).
std::string digitWord(int digit, Spelling spelling);
// Words of a group of three digits (0..999): "" for 0, "cem" for 100,
// "cento e um", "vinte e um".
std::string hundredsWords(unsigned value, Spelling spelling);
// Words of group `group` (0..4, 0 the most significant) holding `value`, with
// its scale word and a blank after it: "dois bilhões ", "um mil ".
std::string groupWords(unsigned value, int group, Spelling spelling);
// The words of a value below 10^15, separated by single blanks (they may end
// in a blank): 1234 gives "mil e duzentos e trinta e quatro", 1000 "mil ".
std::string cardinalWords(uint64_t value, Spelling spelling);

} // namespace number_words
