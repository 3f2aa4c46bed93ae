#include "tools/wavconv/wav_dsp.h"

#include "tools/wavconv/resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wavkit {

float dbToLinear(float decibels) {
    return std::pow(10.0f, decibels / 20.0f);
}

float peakLevel(std::span<const float> samples) {
    float peak = 0.0f;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    return peak;
}

std::vector<float> trimSilence(std::span<const float> samples, float threshold,
                               size_t keepSamples) {
    const auto loud = [threshold](float sample) { return std::abs(sample) >= threshold; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    if (first == samples.end()) {
        return {};
    }
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
    const auto firstIndex = static_cast<size_t>(first - samples.begin());
    const auto lastIndex = samples.size() - 1 - static_cast<size_t>(last - samples.rbegin());
    const size_t begin = firstIndex > keepSamples ? firstIndex - keepSamples : 0;
    const size_t end = std::min(samples.size(), lastIndex + 1 + keepSamples);
    return {samples.begin() + static_cast<std::ptrdiff_t>(begin),
            samples.begin() + static_cast<std::ptrdiff_t>(end)};
}

void normalisePeak(std::span<float> samples, float target) {
    const float peak = peakLevel(samples);
    if (peak <= 0.0f) {
        return;
    }
    const float gain = target / peak;
    for (float &sample : samples) {
        sample *= gain;
    }
}

void fadeEdges(std::span<float> samples, size_t fadeSamples) {
    const size_t length = std::min(fadeSamples, samples.size() / 2);
    for (size_t i = 0; i < length; ++i) {
        const double phase = (static_cast<double>(i) + 0.5) / static_cast<double>(length);
        const auto gain = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * phase));
        samples[i] *= gain;
        samples[samples.size() - 1 - i] *= gain;
    }
}

std::vector<float> resample(std::span<const float> samples, uint32_t fromRate, uint32_t toRate) {
    return Resampler(fromRate, toRate).convert(samples);
}

size_t longestQuietRun(std::span<const float> samples, float threshold) {
    size_t longest = 0;
    size_t current = 0;
    for (float sample : samples) {
        current = std::abs(sample) < threshold ? current + 1 : 0;
        longest = std::max(longest, current);
    }
    return longest;
}

} // namespace wavkit
