#include "tools/mbrvoice/level_match.h"

#include "tools/loudness/leveller.h"
#include "tools/loudness/loudness.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace mbrvoice {
namespace {

// Below this an edge is a closure or a pause: it is left as it is.
constexpr double kQuietEdge = 1e-2;
constexpr double kMaxGain = 4.0;
constexpr double kNoLoudness = -200.0;
constexpr double kLimiterReachMs = 10.0;
constexpr int kLevelRounds = 6;

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

// Nothing for a quiet edge, which has no level to match.
std::optional<double> gainFor(double reference, double level) {
    if (reference < kQuietEdge || level < kQuietEdge) {
        return std::nullopt;
    }
    return std::clamp(reference / level, 1.0 / kMaxGain, kMaxGain);
}

} // namespace

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

// The median loudness of each phoneme's halves of the units, as heard
// (K-weighted, by libebur128); kNoLoudness for a phoneme without any.
std::vector<double> phonemeLoudness(const std::vector<PairUnit> &units, size_t phonemeCount,
                                    uint32_t rate) {
    std::vector<std::vector<double>> levels(phonemeCount);
    for (const PairUnit &u : units) {
        const std::span<const float> samples = u.unit.samples;
        const size_t boundary = std::min(u.unit.boundary, samples.size());
        if (const auto level = loudness::loudnessOf(samples.first(boundary), rate)) {
            levels[u.first].push_back(*level);
        }
        if (const auto level = loudness::loudnessOf(samples.subspan(boundary), rate)) {
            levels[u.second].push_back(*level);
        }
    }
    std::vector<double> result(phonemeCount, kNoLoudness);
    for (size_t p = 0; p < phonemeCount; ++p) {
        if (!levels[p].empty()) {
            result[p] = median(levels[p]);
        }
    }
    return result;
}

void matchLevels(std::vector<PairUnit> &units, const std::vector<bool> &oneLevel, uint32_t rate) {
    const size_t phonemeCount = oneLevel.size();
    std::vector<std::vector<double>> edges(phonemeCount);
    for (const PairUnit &u : units) {
        edges[u.first].push_back(startLevel(u.unit));
        edges[u.second].push_back(endLevel(u.unit));
    }
    const std::vector<double> heard = phonemeLoudness(units, phonemeCount, rate);
    std::vector<double> shared;
    for (size_t p = 0; p < phonemeCount; ++p) {
        if (oneLevel[p] && heard[p] > kNoLoudness) {
            shared.push_back(heard[p]);
        }
    }
    const double sharedLoudness = median(shared);
    std::vector<double> reference(phonemeCount);
    for (size_t p = 0; p < phonemeCount; ++p) {
        reference[p] = median(edges[p]);
        if (oneLevel[p] && heard[p] > kNoLoudness) {
            reference[p] *= std::pow(10.0, (sharedLoudness - heard[p]) / 20.0);
        }
    }
    for (PairUnit &u : units) {
        Unit &unit = u.unit;
        // A quiet edge (a closure, a pause) takes the gain of the other, so
        // that the sounding half of the unit gets its whole gain.
        const auto startMatch = gainFor(reference[u.first], startLevel(unit));
        const auto endMatch = gainFor(reference[u.second], endLevel(unit));
        const double startGain = startMatch.value_or(endMatch.value_or(1.0));
        const double endGain = endMatch.value_or(startGain);
        glideGain(unit, startGain, endGain);
    }
}

void glideGain(Unit &unit, double startGain, double endGain) {
    const double span = static_cast<double>(std::max<size_t>(1, unit.coreEnd - unit.coreStart));
    for (size_t n = 0; n < unit.samples.size(); ++n) {
        const double along = std::clamp(
            (static_cast<double>(n) - static_cast<double>(unit.coreStart)) / span, 0.0, 1.0);
        unit.samples[n] *= static_cast<float>(startGain + (endGain - startGain) * along);
    }
}

double unitsLoudness(const std::vector<PairUnit> &units, uint32_t rate) {
    std::vector<float> all;
    for (const PairUnit &u : units) {
        all.insert(all.end(), u.unit.samples.begin(), u.unit.samples.end());
    }
    return loudness::loudnessOf(all, rate).value_or(kNoLoudness);
}

void levelUnits(std::vector<PairUnit> &units, uint32_t rate, double lufs, float peak) {
    const auto reach = static_cast<size_t>(rate * kLimiterReachMs / 1000);
    // Limiting takes a little loudness away: a second round makes it up.
    for (int round = 0; round < kLevelRounds; ++round) {
        const double measured = unitsLoudness(units, rate);
        if (measured <= kNoLoudness) {
            return;
        }
        const auto gain = static_cast<float>(std::pow(10.0, (lufs - measured) / 20.0));
        for (PairUnit &u : units) {
            for (float &s : u.unit.samples) {
                s *= gain;
            }
            loudness::limitPeaks(u.unit.samples, peak, reach);
        }
    }
}

} // namespace mbrvoice
