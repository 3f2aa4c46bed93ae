// The voice's unit strings in the phoneme set of the reference lexicons.
#pragma once

#include <string>
#include <vector>

namespace lexscore {

// The phones of one word's phoneme string ("[" units "]"), in the reference
// set: a e E i o O u, a~ e~ i~ o~ u~, j w j~ w~, p b t d k g tS dZ f v s z S Z
// m n J l L r R X. A letter recording (" /_c") becomes "_c".
std::vector<std::string> unitsToPhones(const std::string &phonemes);

// Phones of a reference line's pronunciation field (separated by blanks).
std::vector<std::string> splitPhones(const std::string &field);

} // namespace lexscore
