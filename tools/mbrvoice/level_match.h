// Evens out the loudness where units meet: every phoneme gets one reference
// level (the median of its units' edges), and each unit is scaled by a gain
// that glides from what its start needs to what its end needs.
#pragma once

#include "tools/mbrvoice/unit_cutter.h"

#include <vector>

namespace mbrvoice {

struct PairUnit {
    size_t first = 0; // phoneme indices
    size_t second = 0;
    Unit unit;
};

void matchLevels(std::vector<PairUnit> &units, size_t phonemeCount);

// Scales every unit by one factor so that the loudest sample reaches `peak`.
void normalisePeak(std::vector<PairUnit> &units, float peak);

} // namespace mbrvoice
