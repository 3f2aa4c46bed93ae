#include "tools/wavconv/wav_dsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wavkit {
namespace {

// Kernel: this many zero crossings of the sinc on each side, Blackman window.
// At 22050 -> 11025 Hz that is 97 taps, a transition band of about 1.2 kHz.
constexpr double kZeroCrossings = 24.0;
// Fraction of the lower Nyquist frequency where the kernel's response is
// halved; leaves room for the transition band below the new Nyquist.
constexpr double kCutoffFraction = 0.85;

double sinc(double x) {
    if (std::abs(x) < 1e-9) {
        return 1.0;
    }
    const double angle = std::numbers::pi * x;
    return std::sin(angle) / angle;
}

// Blackman window over -1..1.
double blackman(double x) {
    if (std::abs(x) >= 1.0) {
        return 0.0;
    }
    return 0.42 + 0.5 * std::cos(std::numbers::pi * x) +
           0.08 * std::cos(2.0 * std::numbers::pi * x);
}

} // namespace

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
    if (fromRate == toRate || fromRate == 0 || toRate == 0) {
        return {samples.begin(), samples.end()};
    }
    // Cutoff as a fraction of the input's Nyquist frequency.
    const double cutoff = kCutoffFraction * std::min(1.0, static_cast<double>(toRate) / fromRate);
    const double halfWidth = kZeroCrossings / cutoff; // in input samples
    const auto outputLength =
        static_cast<size_t>(static_cast<uint64_t>(samples.size()) * toRate / fromRate);
    const auto inputLength = static_cast<std::ptrdiff_t>(samples.size());
    std::vector<float> output(outputLength);
    for (size_t n = 0; n < outputLength; ++n) {
        // Exact position of output sample n on the input's time axis.
        const double centre = static_cast<double>(static_cast<uint64_t>(n) * fromRate) / toRate;
        const auto first =
            std::max<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(std::ceil(centre - halfWidth)));
        const auto last = std::min<std::ptrdiff_t>(
            inputLength - 1, static_cast<std::ptrdiff_t>(std::floor(centre + halfWidth)));
        double sum = 0.0;
        for (std::ptrdiff_t k = first; k <= last; ++k) {
            const double distance = static_cast<double>(k) - centre;
            sum += samples[static_cast<size_t>(k)] * cutoff * sinc(cutoff * distance) *
                   blackman(distance / halfWidth);
        }
        output[n] = static_cast<float>(sum);
    }
    return output;
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
