// Evens out the loudness where units meet: every phoneme gets one reference
// level (the median of its units' edges), and each unit is scaled by a gain
// that glides from what its start needs to what its end needs.
#pragma once

#include "tools/mbrvoice/unit_cutter.h"

#include <cstdint>
#include <vector>

namespace mbrvoice {

struct PairUnit {
    size_t first = 0; // phoneme indices
    size_t second = 0;
    Unit unit;
};

// The phonemes flagged in oneLevel (one flag per phoneme) have their
// references moved so that they are heard equally loud (the median of their
// loudness at `rate`): the vowels, so that a word of closed vowels sounds as
// loud as one of open vowels.
void matchLevels(std::vector<PairUnit> &units, const std::vector<bool> &oneLevel, uint32_t rate);

// The middle value (the upper one of an even count); 0 for none.
double median(std::vector<double> values);

// Scales a unit by a gain that goes from startGain at the start of its core
// to endGain at its end (and stays at each beyond).
void glideGain(Unit &unit, double startGain, double endGain);

// The loudness of every unit heard one after the other, in LUFS (gated, so
// the pauses and closures count for nothing).
double unitsLoudness(const std::vector<PairUnit> &units, uint32_t rate);

// Scales every unit by one factor so that unitsLoudness becomes `lufs`, then
// lowers, unit by unit, the few peaks that would pass `peak` (linear): the
// grains of a raised pitch overlap, and their sum must stay below full scale.
void levelUnits(std::vector<PairUnit> &units, uint32_t rate, double lufs, float peak);

} // namespace mbrvoice
