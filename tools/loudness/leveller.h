// Brings a sound to a loudness under a true-peak ceiling: one gain, and
// where that gain would push a peak over the ceiling, a short look-ahead
// limiter that lowers just those peaks.
#pragma once

#include <cstdint>
#include <span>

namespace loudness {

struct LevelResult {
    bool ok = false;   // false: silence, nothing to level
    double lufs = 0.0; // as measured after levelling
    double truePeakDb = 0.0;
};

// Scales `samples` (mono, -1..1, at `rate`) to `targetLufs` (as loudnessOf
// measures) with its true peak at or below `ceilingDb`. When the limiter
// cannot reach the target under the ceiling the sound ends up quieter.
LevelResult levelTo(std::span<float> samples, uint32_t rate, double targetLufs, double ceilingDb);

// Lowers the samples whose level passes `ceiling` (linear) with a gain that
// falls and recovers over `reach` samples on each side, never raising any.
void limitPeaks(std::span<float> samples, float ceiling, size_t reach);

} // namespace loudness
