#include "mbrsynth/output_buffer.h"

#include <algorithm>
#include <cmath>

namespace mbrsynth {

void OutputBuffer::add(int64_t index, float value) {
    if (index < base_ || index < final_) {
        return; // already complete: a grain may not reach back that far
    }
    const auto offset = static_cast<size_t>(index - base_);
    if (offset >= samples_.size()) {
        samples_.resize(offset + 1, 0.0f);
    }
    samples_[offset] += value;
}

void OutputBuffer::markFinal(int64_t index) {
    final_ = std::max(final_, index);
    const auto needed = static_cast<size_t>(final_ - base_);
    if (samples_.size() < needed) {
        samples_.resize(needed, 0.0f);
    }
}

void OutputBuffer::cutAt(int64_t index) {
    if (index >= base_ && static_cast<size_t>(index - base_) < samples_.size()) {
        samples_.resize(static_cast<size_t>(index - base_));
    }
}

size_t OutputBuffer::finalCount() const {
    return static_cast<size_t>(final_ - base_);
}

size_t OutputBuffer::take(std::span<int16_t> out, float gain) {
    const size_t count = std::min(out.size(), finalCount());
    for (size_t i = 0; i < count; ++i) {
        const float scaled = std::round(samples_[i] * gain);
        out[i] = static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
    }
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(count));
    base_ += static_cast<int64_t>(count);
    return count;
}

void OutputBuffer::restartAt(int64_t index) {
    samples_.clear();
    base_ = index;
    final_ = index;
}

} // namespace mbrsynth
