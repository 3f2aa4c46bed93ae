// Cuts one diphone out of a spoken logatome: from the middle of the pair's
// first phoneme to the middle of its second, found through espeak-ng's
// phoneme events, with one period of margin on each side for the grains at
// the edges, and the pitch marks that fall inside the cut.
#pragma once

#include "tools/mbrvoice/espeak_speaker.h"
#include "tools/mbrvoice/logatomes.h"
#include "tools/mbrvoice/pitch_marks.h"
#include "tools/wavconv/resampler.h"

#include <optional>
#include <string>
#include <vector>

namespace mbrvoice {

struct Unit {
    std::vector<float> samples;
    size_t coreStart = 0; // the cut, without the margins
    size_t coreEnd = 0;
    size_t boundary = 0; // where the second phoneme starts
    std::vector<Mark> marks;
    size_t period = 0;
};

struct CutSettings {
    uint32_t fromRate = 22050;
    uint32_t toRate = 16000;
    size_t fallbackPeriod = 0;                    // when the logatome shows no clear period
    const wavkit::Resampler *resampler = nullptr; // fromRate to toRate
};

std::optional<Unit> cutUnit(const Spoken &spoken, const Logatome &logatome,
                            const CutSettings &settings, std::string &problem);

// A pause unit: silence of the given length with unvoiced marks.
Unit silentUnit(size_t length, size_t period);

// Units into and out of a pause for phonemes espeak-ng does not say next to
// one: the phoneme's half of a unit it forms with a vowel (`withVowel`,
// X-vowel or vowel-X), faded over `fade` samples, then `pause` samples of
// silence (before it, for the unit out of a pause).
Unit fadeIntoPause(const Unit &withVowel, size_t fade, size_t pause);
Unit fadeOutOfPause(const Unit &withVowel, size_t fade, size_t pause);

// A neutral unit for a pair espeak-ng never says together: the first
// phoneme's half of `firstWithVowel` faded out over `fade` samples, then the
// second phoneme's half of `secondAfterPause` (the unit from a pause to it).
Unit joinHalves(const Unit &firstWithVowel, const Unit &secondAfterPause, size_t fade);

} // namespace mbrvoice
