// The utterance's melody: piecewise linear between its pitch points, held
// flat before the first and after the last one.
#pragma once

#include <vector>

namespace mbrsynth {

struct TimedPitch {
    double ms = 0; // from the utterance's start
    double hz = 0;
};

class PitchContour {
public:
    // Points in time order; `fallbackHz` when there is none.
    PitchContour(std::vector<TimedPitch> points, double fallbackHz);
    double at(double ms) const;

private:
    std::vector<TimedPitch> points_;
    double fallbackHz_;
};

} // namespace mbrsynth
