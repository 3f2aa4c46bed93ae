#include "mbrsynth/pitch_contour.h"

#include <algorithm>

namespace mbrsynth {

PitchContour::PitchContour(std::vector<TimedPitch> points, double fallbackHz)
    : points_(std::move(points)), fallbackHz_(fallbackHz) {}

double PitchContour::at(double ms) const {
    if (points_.empty()) {
        return fallbackHz_;
    }
    const auto after = std::find_if(points_.begin(), points_.end(),
                                    [ms](const TimedPitch &p) { return p.ms > ms; });
    if (after == points_.begin()) {
        return after->hz;
    }
    const TimedPitch &before = *(after - 1);
    if (after == points_.end() || after->ms <= before.ms) {
        return before.hz;
    }
    const double share = (ms - before.ms) / (after->ms - before.ms);
    return before.hz + share * (after->hz - before.hz);
}

} // namespace mbrsynth
