// Every utterance is brought to the loudness the recordings are made to, so
// that a word sounds as loud whatever sounds it holds. The loudness is heard
// as ITU-R BS.1770 hears it: K-weighted, over the sounding part, in gated
// blocks of 400 ms, or as one block when the sounding part is shorter.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace mbrsynth {

inline constexpr double kUtteranceLufs = -18.0;
// How far an utterance may be raised or lowered.
inline constexpr double kMaxRaiseDb = 6.0;
inline constexpr double kMaxLowerDb = 12.0;
// No sample of a levelled utterance is raised beyond this (full scale 1).
inline constexpr double kLevelledPeak = 0.89;
// Gains are kept to steps of 1/kGainSteps, so that two builds whose maths
// libraries round a last digit differently still write the same samples.
inline constexpr double kGainSteps = 4096.0;

// Loudness in LUFS of samples scaled to -1..1; nothing for silence.
std::optional<double> loudnessLufs(std::span<const float> samples, int rate);

// The factor that brings samples (at `scale` for full scale) to
// kUtteranceLufs within the limits above; 1 for silence.
double levellingGain(std::span<const float> samples, int rate, float scale);

} // namespace mbrsynth
