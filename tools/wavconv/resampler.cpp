#include "tools/wavconv/resampler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace wavkit {
namespace {

// Kernel: this many zero crossings of the sinc on each side, Blackman window.
// At 22050 -> 11025 Hz that is 97 taps, a transition band of about 1.2 kHz.
constexpr double kZeroCrossings = 24.0;
// Fraction of the lower Nyquist frequency where the kernel's response is
// halved; leaves room for the transition band below the new Nyquist.
constexpr double kCutoffFraction = 0.85;
// Ratios with more phases than this (rates with a small common divisor) take
// the nearest of this many: at most 1/8192 of a sample off, an error some
// 70 dB below the signal even at the top of the speech band.
constexpr uint32_t kMaxPhases = 4096;

constexpr double kPi = 3.14159265358979323846;

// 1 / (k (k - 1)) for k = 23, 21, .. 3: sin y = y (1 - y^2/6 (1 - y^2/20 (..))).
constexpr auto kSineSteps = [] {
    std::array<double, 11> steps{};
    for (int i = 0; i < 11; ++i) {
        const int k = 23 - 2 * i;
        steps[static_cast<size_t>(i)] = 1.0 / (k * (k - 1));
    }
    return steps;
}();

// sin(pi x) by its series after exact reductions: the same bits on every
// machine with IEEE double arithmetic, whatever its maths library does.
double sinPi(double x) {
    double r = x - 2.0 * std::nearbyint(x / 2.0); // -1..1, exact
    if (r > 0.5) {
        r = 1.0 - r; // sin(pi r) = sin(pi (1 - r))
    } else if (r < -0.5) {
        r = -1.0 - r;
    }
    const double y = kPi * r;
    const double y2 = y * y;
    // Taylor terms to y^23, nested: the error stays below 1e-17 for
    // |y| <= pi / 2.
    double sum = 1.0;
    for (const double step : kSineSteps) {
        sum = 1.0 - y2 * step * sum;
    }
    return y * sum;
}

double cosPi(double x) {
    return sinPi(x + 0.5);
}

double sinc(double x) {
    return std::abs(x) < 1e-9 ? 1.0 : sinPi(x) / (kPi * x);
}

// Blackman window over -1..1.
double blackman(double x) {
    return std::abs(x) >= 1.0 ? 0.0 : 0.42 + 0.5 * cosPi(x) + 0.08 * cosPi(2.0 * x);
}

} // namespace

Resampler::Resampler(uint32_t fromRate, uint32_t toRate) : fromRate_(fromRate), toRate_(toRate) {
    const uint32_t divisor = std::gcd(std::max(fromRate, 1u), std::max(toRate, 1u));
    phases_ = std::min(std::max(toRate, 1u) / divisor, kMaxPhases);
    // Cutoff as a fraction of the input's Nyquist frequency.
    const double cutoff =
        kCutoffFraction * std::min(1.0, static_cast<double>(toRate) / std::max(fromRate, 1u));
    const double halfWidth = kZeroCrossings / cutoff; // in input samples
    reach_ = static_cast<int32_t>(std::ceil(halfWidth));
    const auto taps = static_cast<size_t>(2 * reach_ + 1);
    table_.resize(phases_ * taps);
    for (uint32_t phase = 0; phase < phases_; ++phase) {
        const double fraction = static_cast<double>(phase) / phases_;
        for (size_t t = 0; t < taps; ++t) {
            const double distance =
                static_cast<double>(static_cast<int32_t>(t) - reach_) - fraction;
            table_[phase * taps + t] =
                cutoff * sinc(cutoff * distance) * blackman(distance / halfWidth);
        }
    }
}

// Output sample n sits at n * fromRate / toRate on the input's time axis:
// input sample `whole` plus a fraction, rounded to the nearest phase.
float Resampler::sampleAt(std::span<const float> input, uint64_t n) const {
    const uint64_t position = n * fromRate_;
    auto whole = static_cast<int64_t>(position / toRate_);
    uint64_t phase = ((position % toRate_) * phases_ + toRate_ / 2) / toRate_;
    if (phase == phases_) {
        ++whole;
        phase = 0;
    }
    const auto taps = static_cast<int64_t>(2 * reach_ + 1);
    const double *kernel = table_.data() + phase * static_cast<uint64_t>(taps);
    const int64_t start = whole - reach_; // input index of tap 0
    const int64_t first = std::max<int64_t>(0, -start);
    const int64_t end = std::min<int64_t>(taps, static_cast<int64_t>(input.size()) - start);
    // Four partial sums in a fixed order: the result does not depend on how
    // the compiler schedules them.
    double sums[4] = {0.0, 0.0, 0.0, 0.0};
    const float *samples = input.data();
    int64_t t = first;
    for (; t + 4 <= end; t += 4) {
        for (int64_t lane = 0; lane < 4; ++lane) {
            sums[lane] += kernel[t + lane] * samples[start + t + lane];
        }
    }
    for (; t < end; ++t) {
        sums[0] += kernel[t] * samples[start + t];
    }
    return static_cast<float>((sums[0] + sums[1]) + (sums[2] + sums[3]));
}

std::vector<float> Resampler::convert(std::span<const float> input) const {
    if (fromRate_ == toRate_ || fromRate_ == 0 || toRate_ == 0) {
        return {input.begin(), input.end()};
    }
    const auto outputLength =
        static_cast<size_t>(static_cast<uint64_t>(input.size()) * toRate_ / fromRate_);
    std::vector<float> output(outputLength);
    for (size_t n = 0; n < outputLength; ++n) {
        output[n] = sampleAt(input, n);
    }
    return output;
}

} // namespace wavkit
