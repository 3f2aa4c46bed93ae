// Rate conversion by a fixed rational ratio with a precomputed polyphase
// windowed-sinc filter: the voice builder converts well over a thousand
// logatomes, too many to evaluate the kernel afresh for every sample.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mbrvoice {

class Resampler {
public:
    Resampler(uint32_t fromRate, uint32_t toRate);
    std::vector<float> convert(std::span<const float> input) const;

private:
    uint32_t up_;              // toRate / gcd
    uint32_t down_;            // fromRate / gcd
    int taps_;                 // per phase, centred on the output position
    std::vector<float> table_; // up_ phases x taps_
};

} // namespace mbrvoice
