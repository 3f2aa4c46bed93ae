// How each unit of the native voice sounds: a unit name ("$KA", "$ACIRC",
// "$AWTIL", "$S", "$NN") spelled in espeak-ng's phoneme mnemonics for its
// Portuguese voices, ready to be spoken as "[[...]]".
//
// The letters of a unit name: consonants b c d f g j k l m n p q r s t v x z
// and the clusters tch dj nh lh rr ks; vowels a e i o u (e and o open, closed
// with the CIRC mark; a with CIRC is the closed central a); semivowels w y;
// a final CIRC or TIL marks the unit's last vowel closed or nasal; "$NN" is
// the nasal murmur.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace voicebuild {

struct UnitSound {
    std::string phonemes; // with the stress mark on the first vowel
    uint32_t maxMs = 0;   // when not 0, only the unit's first milliseconds are kept
};

// The sound of an upper-case unit name; nothing when the name holds a letter
// with no sound of its own.
std::optional<UnitSound> unitSound(const std::string &name);

} // namespace voicebuild
