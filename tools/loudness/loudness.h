// Loudness and peak measures of mono sounds, by libebur128 (ITU-R BS.1770):
// what the data tools level the recordings by and what their checks read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace loudness {

// The level every spoken recording is made to, and the band the sound
// effects sit in below it, in LUFS.
inline constexpr double kSpeechLufs = -18.0;
inline constexpr double kEffectLufs = kSpeechLufs - 3.0;
inline constexpr double kEffectBandLow = kSpeechLufs - 4.0;
inline constexpr double kEffectBandHigh = kSpeechLufs - 2.0;
// No recording's true peak may pass this, in dBTP; the tools aim a little
// lower, leaving room for the rounding to 8 or 16 bits.
inline constexpr double kTruePeakCeilingDb = -1.0;
inline constexpr double kTruePeakAimDb = kTruePeakCeilingDb - 0.3;

// A sounding part shorter than this is measured as one block over its whole
// length: the standard's gated blocks need 400 ms of sound.
inline constexpr double kGatingBlockMs = 400.0;
// Quieter than this below the sound's peak counts as silence at its edges.
inline constexpr double kEdgeSilenceDb = -40.0;

// The stretch [begin, end) from the first to the last sample that reaches
// kEdgeSilenceDb below the peak; empty (0, 0) for a sound of zeros.
struct Span {
    size_t begin = 0;
    size_t end = 0;
};
Span soundingPart(std::span<const float> samples);

// Loudness in LUFS: gated integrated loudness of the sounding part, or for a
// sounding part shorter than kGatingBlockMs its loudness over its whole
// length. Nothing for silence or a rate libebur128 refuses.
std::optional<double> loudnessOf(std::span<const float> samples, uint32_t rate);

// Inter-sample (true) peak by libebur128's oversampling, in dBTP; a very low
// value for silence.
double truePeakDb(std::span<const float> samples, uint32_t rate);

double sampleToDb(double linear);

// Samples at or beyond full scale (the first and last code of 8-bit, or
// 16-bit, PCM read back as -1..1).
size_t clippedSamples(std::span<const float> samples, uint16_t bits);

} // namespace loudness
