// Which units the native voice holds: every name the synthesizer asks for
// while speaking a set of phoneme strings, with every name its fallbacks ask
// for, as far as an index record can hold the name and the unit has a sound.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace voicebuild {

// Phoneme strings of one word each for every syllable shape the unit
// alphabet allows: onset (none, a consonant, a cluster, a consonant with a
// semivowel), vowel (plain, closed, nasal, with a semivowel) and coda.
std::vector<std::string> syllablePhonemes();

struct Inventory {
    std::set<std::string> units;      // upper case, recordable
    std::set<std::string> unrecorded; // asked for but too long or without a sound
};

Inventory collectInventory(const std::vector<std::string> &phonemeStrings);

} // namespace voicebuild
