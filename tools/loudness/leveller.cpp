#include "tools/loudness/leveller.h"

#include "tools/loudness/loudness.h"
#include "tools/wavconv/wav_dsp.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

namespace loudness {
namespace {

// The limiter's look-ahead and release on each side of a peak.
constexpr double kLimiterReachMs = 5.0;
constexpr int kRounds = 6;
constexpr double kCloseEnoughLu = 0.05;
constexpr double kMarginDb = 0.05;

double dbToLinear(double db) {
    return std::pow(10.0, db / 20.0);
}

void scale(std::span<float> samples, double gain) {
    for (float &sample : samples) {
        sample = static_cast<float>(sample * gain);
    }
}

// Minimum of `values` over [n - reach, n + reach] for every n, in one pass:
// the deque holds the indices whose values could still be a minimum, their
// values ascending.
std::vector<float> slidingMinimum(const std::vector<float> &values, size_t reach) {
    std::vector<float> result(values.size());
    std::deque<size_t> candidates;
    for (size_t next = 0, n = 0; n < values.size(); ++n) {
        for (; next < values.size() && next <= n + reach; ++next) {
            while (!candidates.empty() && values[candidates.back()] >= values[next]) {
                candidates.pop_back();
            }
            candidates.push_back(next);
        }
        while (candidates.front() + reach < n) {
            candidates.pop_front();
        }
        result[n] = values[candidates.front()];
    }
    return result;
}

} // namespace

void limitPeaks(std::span<float> samples, float ceiling, size_t reach) {
    std::vector<float> needed(samples.size());
    bool any = false;
    for (size_t n = 0; n < samples.size(); ++n) {
        const float level = std::abs(samples[n]);
        needed[n] = level > ceiling ? ceiling / level : 1.0f;
        any = any || level > ceiling;
    }
    if (!any) {
        return;
    }
    // The mean over +-reach of the minimum over +-reach: every value averaged
    // for sample n is a minimum taken over a stretch holding n, so the gain
    // never exceeds what n needs, and it glides instead of jumping.
    const auto floor = slidingMinimum(needed, reach);
    double sum = 0.0;
    const size_t width = 2 * reach + 1;
    for (size_t n = 0; n < reach && n < floor.size(); ++n) {
        sum += floor[n];
    }
    for (size_t n = 0; n < samples.size(); ++n) {
        if (n + reach < floor.size()) {
            sum += floor[n + reach];
        }
        // Past the edges the gain counts as 1, as if the sound went on unlimited.
        const size_t inside = std::min(floor.size(), n + reach + 1) - (n > reach ? n - reach : 0);
        const double gain =
            (sum + static_cast<double>(width - inside)) / static_cast<double>(width);
        samples[n] = static_cast<float>(samples[n] * std::min(gain, double{needed[n]}));
        if (n >= reach) {
            sum -= floor[n - reach];
        }
    }
}

LevelResult levelTo(std::span<float> samples, uint32_t rate, double targetLufs, double ceilingDb) {
    LevelResult result;
    const auto reach = static_cast<size_t>(kLimiterReachMs * rate / 1000.0);
    for (int round = 0; round < kRounds; ++round) {
        const auto level = loudnessOf(samples, rate);
        if (!level) {
            return result;
        }
        if (std::abs(*level - targetLufs) < kCloseEnoughLu &&
            truePeakDb(samples, rate) <= ceilingDb) {
            break;
        }
        scale(samples, dbToLinear(targetLufs - *level));
        const double truePeak = truePeakDb(samples, rate);
        if (truePeak <= ceilingDb) {
            break;
        }
        // The limiter works on samples; the peaks between them pass the
        // samples' own by the difference, so it aims that much lower.
        const double between = std::max(0.0, truePeak - sampleToDb(wavkit::peakLevel(samples)));
        limitPeaks(samples, static_cast<float>(dbToLinear(ceilingDb - between - kMarginDb)), reach);
    }
    // Whatever the rounds left over the ceiling is taken off the whole sound.
    const double truePeak = truePeakDb(samples, rate);
    if (truePeak > ceilingDb) {
        scale(samples, dbToLinear(ceilingDb - truePeak));
    }
    const auto level = loudnessOf(samples, rate);
    result.ok = level.has_value();
    result.lufs = level.value_or(0.0);
    result.truePeakDb = truePeakDb(samples, rate);
    return result;
}

} // namespace loudness
