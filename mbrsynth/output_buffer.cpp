#include "mbrsynth/output_buffer.h"

#include <algorithm>
#include <cmath>

namespace mbrsynth {

std::span<float> OutputBuffer::openRange(int64_t &from, int64_t to) {
    from = std::max({from, base_, final_}); // a grain may not reach back that far
    if (to <= from) {
        from = to;
        return {};
    }
    const auto end = static_cast<size_t>(to - base_);
    if (end > samples_.size()) {
        samples_.resize(end, 0.0f);
    }
    return std::span(samples_).subspan(static_cast<size_t>(from - base_),
                                       end - static_cast<size_t>(from - base_));
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
