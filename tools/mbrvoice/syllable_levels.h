// Evens out the voice as the engine uses it: short nonsense words are
// spoken with the voice as it stands (each vowel between stops, each glide
// and each consonant between vowels), every phoneme gets the gain that
// brings its words to one loudness, and the gains glide across the units
// from one phoneme's to the next. A word then sounds equally loud whatever
// sounds it holds, as it does in the native voice, whose syllables are
// levelled one by one.
#pragma once

#include "tools/mbrvoice/level_match.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mbrvoice {

// One calibration word: the phoneme whose level it judges and its phoneme
// lines, as the engine writes them.
struct TrialWord {
    size_t subject = 0;
    std::string lines;
};

// The words for every phoneme of the set but the pause.
std::vector<TrialWord> trialWords();

// The loudness of each word spoken with the units, in LUFS.
std::vector<double> trialLoudness(const std::vector<PairUnit> &units,
                                  const std::vector<TrialWord> &words, uint32_t rate);

struct SyllableSpread {
    double before = 0; // LU from the quietest phoneme's words to the loudest's
    double after = 0;
};

// Scales the units so that every phoneme's words sound as loud as the
// median vowel's; no phoneme moves by more than kMaxSyllableGainDb.
inline constexpr double kMaxSyllableGainDb = 6.0;
SyllableSpread evenSyllables(std::vector<PairUnit> &units, uint32_t rate);

} // namespace mbrvoice
