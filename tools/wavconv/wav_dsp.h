// Signal processing for the recordings: silence trimming, level
// normalisation, edge fades and sample-rate conversion. All functions work on
// mono float samples in -1..1 and have no state.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace wavkit {

float dbToLinear(float decibels);
float peakLevel(std::span<const float> samples);

// Cuts the silence before the first and after the last sample whose level
// reaches threshold, keeping keepSamples of the quiet edge on each side (as far
// as the input has them). All below threshold: the result is empty.
std::vector<float> trimSilence(std::span<const float> samples, float threshold, size_t keepSamples);

// Scales so that the peak becomes target. Silence stays silence.
void normalisePeak(std::span<float> samples, float target);

// Raised-cosine fade over fadeSamples at both ends (shortened for tiny sounds),
// so that a cut edge never clicks.
void fadeEdges(std::span<float> samples, size_t fadeSamples);

// Windowed-sinc conversion between any two rates (a Resampler made for the
// one call). Going down, the kernel's cutoff sits below the new Nyquist
// frequency so nothing above it folds back.
std::vector<float> resample(std::span<const float> samples, uint32_t fromRate, uint32_t toRate);

// Longest stretch of consecutive samples below threshold.
size_t longestQuietRun(std::span<const float> samples, float threshold);

} // namespace wavkit
