#include "tools/loudness/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace loudness {
namespace {

constexpr double kSilenceDb = -200.0;

struct StateDeleter {
    void operator()(ebur128_state *state) const { ebur128_destroy(&state); }
};
using State = std::unique_ptr<ebur128_state, StateDeleter>;

State open(uint32_t rate, int mode) {
    return State(ebur128_init(1, rate, mode));
}

bool feed(ebur128_state *state, std::span<const float> samples) {
    return ebur128_add_frames_float(state, samples.data(), samples.size()) == EBUR128_SUCCESS;
}

double lengthMs(size_t count, uint32_t rate) {
    return 1000.0 * static_cast<double>(count) / rate;
}

} // namespace

Span soundingPart(std::span<const float> samples) {
    float peak = 0.0f;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    if (peak <= 0.0f) {
        return {};
    }
    const auto threshold = static_cast<float>(peak * std::pow(10.0, kEdgeSilenceDb / 20.0));
    const auto loud = [threshold](float sample) { return std::abs(sample) >= threshold; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
    return {static_cast<size_t>(first - samples.begin()),
            samples.size() - static_cast<size_t>(last - samples.rbegin())};
}

std::optional<double> loudnessOf(std::span<const float> samples, uint32_t rate) {
    const Span part = soundingPart(samples);
    if (part.end <= part.begin || rate == 0) {
        return std::nullopt;
    }
    const auto sounding = samples.subspan(part.begin, part.end - part.begin);
    const double ms = lengthMs(sounding.size(), rate);
    double result = 0.0;
    if (ms >= kGatingBlockMs) {
        const State state = open(rate, EBUR128_MODE_I);
        if (!state || !feed(state.get(), sounding) ||
            ebur128_loudness_global(state.get(), &result) != EBUR128_SUCCESS) {
            return std::nullopt;
        }
    } else {
        // One block over the whole sounding part: the window is its length
        // (below the 400 ms libebur128 keeps in momentary mode).
        const auto window = static_cast<unsigned long>(std::floor(ms));
        const State state = open(rate, EBUR128_MODE_M);
        if (!state || window == 0 || !feed(state.get(), sounding) ||
            ebur128_loudness_window(state.get(), window, &result) != EBUR128_SUCCESS) {
            return std::nullopt;
        }
    }
    if (!std::isfinite(result)) {
        return std::nullopt;
    }
    return result;
}

double truePeakDb(std::span<const float> samples, uint32_t rate) {
    const State state = open(rate, EBUR128_MODE_TRUE_PEAK);
    double peak = 0.0;
    if (!state || !feed(state.get(), samples) ||
        ebur128_true_peak(state.get(), 0, &peak) != EBUR128_SUCCESS) {
        return kSilenceDb;
    }
    return sampleToDb(peak);
}

double sampleToDb(double linear) {
    return linear > 0.0 ? std::max(kSilenceDb, 20.0 * std::log10(linear)) : kSilenceDb;
}

size_t clippedSamples(std::span<const float> samples, uint16_t bits) {
    // The largest positive code is one step below 1.0.
    const double step = bits == 8 ? 1.0 / 128.0 : 1.0 / 32768.0;
    const auto top = static_cast<float>(1.0 - step);
    return static_cast<size_t>(std::count_if(samples.begin(), samples.end(), [top](float sample) {
        return sample >= top || sample <= -1.0f;
    }));
}

} // namespace loudness
