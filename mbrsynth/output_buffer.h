// Samples being built by overlap-add, addressed by their absolute index in
// the output stream. Only samples below the "final" index are complete and
// may be taken; taking them drops them from the buffer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mbrsynth {

class OutputBuffer {
public:
    // The samples [from, to) to add into, the buffer grown to hold them;
    // `from` moves up past those already complete (an empty range when all
    // of them are).
    std::span<float> openRange(int64_t &from, int64_t to);
    void markFinal(int64_t index); // never moves back
    // Drops every sample from `index` on (the end of an utterance).
    void cutAt(int64_t index);
    size_t finalCount() const;
    int64_t base() const { return base_; } // the next sample to be taken
    int64_t finalIndex() const { return final_; }
    // The first `count` samples to be taken (count <= finalCount()).
    std::span<const float> finalSamples(size_t count) const {
        return std::span(samples_).first(count);
    }
    // Takes up to out.size() final samples, scaled by gain and clipped.
    size_t take(std::span<int16_t> out, float gain);
    // Restarts the stream at `index`, empty.
    void restartAt(int64_t index);

private:
    int64_t base_ = 0; // absolute index of samples_[0]
    int64_t final_ = 0;
    std::vector<float> samples_;
};

} // namespace mbrsynth
