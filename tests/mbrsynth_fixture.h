// A small synthetic voice for the synthesizer's tests, and measurements of
// what it says. Voiced units are trains of damped resonances at a known
// period, one per pitch mark; "s" is noise, "_" silence. Each unit scales its
// halves by an amount that depends on both phonemes, so the two units that
// meet inside a phone never match exactly.
#pragma once

#include "mbrsynth/synthesizer.h"
#include "mbrsynth/voice_db.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mbrsynth_fixture {

inline constexpr uint32_t kRate = 16000;
inline constexpr uint32_t kUnitPitch = 100; // Hz of the voiced units
inline constexpr uint32_t kHalfSamples = 2400;

// Phonemes "_", "a", "i", "s", "u"; every pair except those in `missing`
// (e.g. {"i-s"}).
mbrsynth::VoiceData makeVoice(const std::vector<std::string> &missing = {});

// Writes the lines (one string, newline separated), flushes and reads
// everything in chunks of `chunk` samples.
std::vector<int16_t> speak(mbrsynth::Synthesizer &synth, const std::string &lines,
                           size_t chunk = 4000);

// Fundamental frequency of samples [from, to) by autocorrelation, 0 when
// nothing periodic is found between 40 and 1000 Hz.
double measureF0(const std::vector<int16_t> &samples, size_t from, size_t to);

double rms(const std::vector<int16_t> &samples, size_t from, size_t to);

// Largest absolute difference of consecutive samples in [from, to).
int largestJump(const std::vector<int16_t> &samples, size_t from, size_t to);

} // namespace mbrsynth_fixture
