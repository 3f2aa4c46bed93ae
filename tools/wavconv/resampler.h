// Sample-rate conversion by a fixed rational ratio with a windowed-sinc
// filter sampled once per phase (polyphase): converting a recording costs
// one multiply-add per tap, with no trigonometry per sample. The kernel is
// computed with a sine of our own made of additions and multiplications
// only, so every build (whatever its maths library) makes the same table and
// writes the same files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace wavkit {

class Resampler {
public:
    Resampler(uint32_t fromRate, uint32_t toRate);
    // floor(input.size() * toRate / fromRate) samples.
    std::vector<float> convert(std::span<const float> input) const;

private:
    float sampleAt(std::span<const float> input, uint64_t n) const;

    uint32_t fromRate_;
    uint32_t toRate_;
    uint32_t phases_;           // distinct fractional positions of the output samples
    int32_t reach_;             // taps on each side of the centre
    std::vector<double> table_; // phases_ x (2 reach_ + 1)
};

} // namespace wavkit
