// The letters of Portuguese words in Windows-1252: A..Z and the accented
// capitals ÁÀÂÃÉÊÍÓÔÕÚÜÇ, with their lower-case forms.
#pragma once

#include <cstdint>

namespace game {

// The plain capital A..Z of a letter of either case, accented or not; 0 for
// anything else.
uint8_t plainLetter(uint8_t c);

// The capital of a letter (a..z and the accented lower-case letters above);
// any other byte unchanged.
uint8_t upperLetter(uint8_t c);

} // namespace game
