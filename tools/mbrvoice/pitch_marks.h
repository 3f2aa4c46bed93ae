// Pitch marks of a sound spoken at one flat pitch: one mark per period on
// the period's main peak where the sound is voiced, marks at the same
// spacing where it is not.
#pragma once

#include <span>
#include <vector>

namespace mbrvoice {

struct Mark {
    size_t position = 0;
    bool voiced = false;
};

// The period (in samples) of the sound's most periodic loud stretch, or 0
// when nothing between minPeriod and maxPeriod repeats.
size_t estimatePeriod(std::span<const float> samples, size_t minPeriod, size_t maxPeriod);

std::vector<Mark> placeMarks(std::span<const float> samples, size_t period);

} // namespace mbrvoice
