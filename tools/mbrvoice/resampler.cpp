#include "tools/mbrvoice/resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace mbrvoice {
namespace {

constexpr int kZeroCrossings = 12;
constexpr double kCutoff = 0.92; // of the lower Nyquist frequency

double sinc(double x) {
    return x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

} // namespace

Resampler::Resampler(uint32_t fromRate, uint32_t toRate) {
    const uint32_t divisor = std::gcd(fromRate, toRate);
    up_ = toRate / divisor;
    down_ = fromRate / divisor;
    const double cutoff = kCutoff * std::min(1.0, static_cast<double>(toRate) / fromRate);
    const double halfWidth = kZeroCrossings / cutoff; // input samples
    taps_ = 2 * static_cast<int>(std::ceil(halfWidth)) + 1;
    table_.resize(static_cast<size_t>(up_) * static_cast<size_t>(taps_));
    for (uint32_t phase = 0; phase < up_; ++phase) {
        const double fraction = static_cast<double>(phase) / up_;
        for (int t = 0; t < taps_; ++t) {
            const double distance = (t - taps_ / 2) - fraction;
            const double w = std::abs(distance) >= halfWidth
                                 ? 0.0
                                 : 0.5 + 0.5 * std::cos(std::numbers::pi * distance / halfWidth);
            table_[phase * static_cast<size_t>(taps_) + static_cast<size_t>(t)] =
                static_cast<float>(cutoff * sinc(cutoff * distance) * w);
        }
    }
}

std::vector<float> Resampler::convert(std::span<const float> input) const {
    const size_t outputLength = input.size() * up_ / down_;
    std::vector<float> output(outputLength);
    const auto inputLength = static_cast<int64_t>(input.size());
    for (size_t n = 0; n < outputLength; ++n) {
        const uint64_t position = n * down_; // in units of 1/up_ input samples
        const auto whole = static_cast<int64_t>(position / up_);
        const auto phase = static_cast<size_t>(position % up_);
        const float *kernel = table_.data() + phase * static_cast<size_t>(taps_);
        double sum = 0;
        for (int t = 0; t < taps_; ++t) {
            const int64_t k = whole + t - taps_ / 2;
            if (k >= 0 && k < inputLength) {
                sum += double{kernel[t]} * input[static_cast<size_t>(k)];
            }
        }
        output[n] = static_cast<float>(sum);
    }
    return output;
}

} // namespace mbrvoice
