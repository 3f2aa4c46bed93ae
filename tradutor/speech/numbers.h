// Numbers read aloud from recorded Portuguese number words (cardinal,
// masculine), joined sample by sample into sounds that play without gaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace numbers {

// Capacity of the joined samples of one sound.
constexpr uint32_t ChunkCapacity = 30000;

// The words of n, separated by single blanks (the text may end in a blank):
// 1234 gives "mil e duzentos e trinta e quatro".
std::string numberToWords(uint32_t n);
// The words of a number that counts something feminine ("uma de duas
// palavras"): um and dois become uma and duas, except before a masculine
// scale word (milhão, bilhão, trilhão and their plurals). The hundreds keep
// their masculine recordings.
std::string feminineWords(const std::string &words);
// Words of group g (0..4, 0 the most significant) of 15 digits, with its scale word.
std::string groupToWords(const std::string &digits, int group);
// Words of three digits.
std::string hundredsToWords(const std::string &digits);

// The recording names ("_" + word, cut to 8 characters) of the words, in order.
std::vector<std::string> pieceNames(const std::string &words);
// Plays the recordings of the words as one sound, in pieces of at most
// ChunkCapacity samples, and returns when they have finished or a key
// stopped them.
void speakNumberWords(const std::string &words);

} // namespace numbers
