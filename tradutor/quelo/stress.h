// Stress assignment of the built-in engine: which letter of a word (Windows-
// 1252) carries its stress, decided on the spelling alone.
#pragma once

#include <cstddef>
#include <string>

namespace quelo {

// True for words of fewer than three letters and a few short function words
// (por, das, dos, com, não, sim), which carry no stress.
bool isUnstressedWord(const std::string &word);

// The 1-based position of the stressed letter, or 0 when the word has no
// vowel. An accented vowel wins (the last one); otherwise words ending in a,
// e, o (also followed by m or s) are stressed on the vowel before, and words
// ending in i, u or another consonant on the last vowel.
size_t findStress(const std::string &word);

} // namespace quelo
