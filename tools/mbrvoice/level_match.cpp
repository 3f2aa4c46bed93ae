#include "tools/mbrvoice/level_match.h"

#include <algorithm>
#include <cmath>

namespace mbrvoice {
namespace {

// Below this an edge is a closure or a pause: it is left as it is.
constexpr double kQuietEdge = 1e-3;
constexpr double kMaxGain = 4.0;

double rmsOf(const std::vector<float> &x, size_t from, size_t to) {
    to = std::min(to, x.size());
    if (to <= from) {
        return 0;
    }
    double sum = 0;
    for (size_t n = from; n < to; ++n) {
        sum += double{x[n]} * x[n];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

double startLevel(const Unit &u) {
    return rmsOf(u.samples, u.coreStart, u.coreStart + 2 * u.period);
}

double endLevel(const Unit &u) {
    return rmsOf(u.samples, u.coreEnd > 2 * u.period ? u.coreEnd - 2 * u.period : 0, u.coreEnd);
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

double gainFor(double reference, double level) {
    if (reference < kQuietEdge || level < kQuietEdge) {
        return 1.0;
    }
    return std::clamp(reference / level, 1.0 / kMaxGain, kMaxGain);
}

} // namespace

void matchLevels(std::vector<PairUnit> &units, size_t phonemeCount) {
    std::vector<std::vector<double>> edges(phonemeCount);
    for (const PairUnit &u : units) {
        edges[u.first].push_back(startLevel(u.unit));
        edges[u.second].push_back(endLevel(u.unit));
    }
    std::vector<double> reference(phonemeCount);
    for (size_t p = 0; p < phonemeCount; ++p) {
        reference[p] = median(edges[p]);
    }
    for (PairUnit &u : units) {
        Unit &unit = u.unit;
        const double startGain = gainFor(reference[u.first], startLevel(unit));
        const double endGain = gainFor(reference[u.second], endLevel(unit));
        const double span = static_cast<double>(std::max<size_t>(1, unit.coreEnd - unit.coreStart));
        for (size_t n = 0; n < unit.samples.size(); ++n) {
            const double along = std::clamp(
                (static_cast<double>(n) - static_cast<double>(unit.coreStart)) / span, 0.0, 1.0);
            unit.samples[n] *= static_cast<float>(startGain + (endGain - startGain) * along);
        }
    }
}

void normalisePeak(std::vector<PairUnit> &units, float peak) {
    float loudest = 0;
    for (const PairUnit &u : units) {
        for (const float s : u.unit.samples) {
            loudest = std::max(loudest, std::abs(s));
        }
    }
    if (loudest <= 0) {
        return;
    }
    for (PairUnit &u : units) {
        for (float &s : u.unit.samples) {
            s *= peak / loudest;
        }
    }
}

} // namespace mbrvoice
