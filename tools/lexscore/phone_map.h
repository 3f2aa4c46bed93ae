// The voice's unit strings in the phoneme set of the reference lexicons.
#pragma once

#include <string>
#include <vector>

namespace lexscore {

// The phones of one word's phoneme string ("[" units "]"), in the reference
// set: a e E i o O u, a~ e~ i~ o~ u~, j w j~ w~, p b t d k g tS dZ f v s z S Z
// m n J l L r R X. A letter recording (" /_c") becomes "_c".
std::vector<std::string> unitsToPhones(const std::string &phonemes);

// The phones of one word's phoneme lines from the built-in engine, in the
// reference set: the marks ">" and "\xa8" are dropped; the voice's names
// become the reference's (ee E, oo O, an a~, x S, j Z, nh J, lh L, rr R, y j,
// @ a); t and d before an i sound are tS and dZ; y and w after a nasal vowel
// are j~ and w~; the syllable-final r2 becomes R before a voiced consonant
// other than l and X elsewhere, the syllable-final s2 becomes z before such a
// consonant and s elsewhere (the reference's assimilations); empty lines are
// left out.
std::vector<std::string> queloToPhones(const std::vector<std::string> &lines);

// Phones of a reference line's pronunciation field (separated by blanks).
std::vector<std::string> splitPhones(const std::string &field);

} // namespace lexscore
