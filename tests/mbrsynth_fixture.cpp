#include "tests/mbrsynth_fixture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mbrsynth_fixture {
namespace {

const std::vector<std::string> kPhonemes = {"_", "a", "i", "s", "u"};
constexpr uint32_t kPeriod = kRate / kUnitPitch;

double resonanceHz(const std::string &phoneme) {
    return phoneme == "a" ? 700.0 : phoneme == "i" ? 300.0 : 450.0;
}

// One half of a unit: what `phoneme` sounds like, scaled by `gain`.
void appendHalf(mbrsynth::VoiceData &voice, const std::string &phoneme, double gain,
                uint32_t unitStart, uint32_t &seed) {
    const uint32_t spacing = phoneme == "s" ? kPeriod / 2 : kPeriod;
    const bool voiced = phoneme != "s" && phoneme != "_";
    const uint32_t halfStart = static_cast<uint32_t>(voice.samples.size()) - unitStart;
    for (uint32_t n = 0; n < kHalfSamples; ++n) {
        double value = 0;
        if (voiced) {
            const double t = static_cast<double>(n % kPeriod);
            value = 9000.0 * gain * std::exp(-t / 30.0) *
                    std::sin(2 * std::numbers::pi * resonanceHz(phoneme) * t / kRate);
        } else if (phoneme == "s") {
            seed = seed * 1664525u + 1013904223u;
            value = gain * (static_cast<double>(seed >> 16) - 32768.0) / 12.0;
        }
        voice.samples.push_back(static_cast<int16_t>(std::lround(value)));
    }
    for (uint32_t at = voiced ? 0 : spacing / 2; at < kHalfSamples; at += spacing) {
        voice.marks.push_back({halfStart + at, voiced});
    }
}

} // namespace

mbrsynth::VoiceData makeVoice(const std::vector<std::string> &missing) {
    mbrsynth::VoiceData voice;
    voice.sampleRate = kRate;
    voice.defaultPitch = kUnitPitch;
    voice.phonemes = kPhonemes;
    voice.info = "synthetic test voice";
    uint32_t seed = 12345;
    for (uint16_t first = 0; first < kPhonemes.size(); ++first) {
        for (uint16_t second = 0; second < kPhonemes.size(); ++second) {
            const std::string name = kPhonemes[first] + "-" + kPhonemes[second];
            if (std::find(missing.begin(), missing.end(), name) != missing.end()) {
                continue;
            }
            mbrsynth::Diphone unit;
            unit.first = first;
            unit.second = second;
            unit.sampleStart = static_cast<uint32_t>(voice.samples.size());
            unit.markStart = static_cast<uint32_t>(voice.marks.size());
            const double gain = 0.6 + 0.1 * ((first * 7 + second * 3) % 9);
            appendHalf(voice, kPhonemes[first], gain, unit.sampleStart, seed);
            appendHalf(voice, kPhonemes[second], 1.6 - gain, unit.sampleStart, seed);
            unit.sampleCount = 2 * kHalfSamples;
            unit.boundary = kHalfSamples;
            unit.markCount = static_cast<uint32_t>(voice.marks.size()) - unit.markStart;
            voice.diphones.push_back(unit);
        }
    }
    return voice;
}

std::vector<int16_t> speak(mbrsynth::Synthesizer &synth, const std::string &lines, size_t chunk) {
    synth.write(lines);
    synth.flush();
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(chunk);
    for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
        all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return all;
}

double measureF0(const std::vector<int16_t> &samples, size_t from, size_t to) {
    const size_t minLag = kRate / 1000;
    const size_t maxLag = kRate / 35;
    if (to > samples.size() || to <= from + maxLag) {
        return 0;
    }
    std::vector<double> score(maxLag + 1, 0.0);
    double best = 0;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double cross = 0, energyA = 0, energyB = 0;
        for (size_t n = from; n + lag < to; ++n) {
            cross += static_cast<double>(samples[n]) * samples[n + lag];
            energyA += static_cast<double>(samples[n]) * samples[n];
            energyB += static_cast<double>(samples[n + lag]) * samples[n + lag];
        }
        score[lag] = energyA > 0 && energyB > 0 ? cross / std::sqrt(energyA * energyB) : 0;
        best = std::max(best, score[lag]);
    }
    if (best < 0.5) {
        return 0;
    }
    // The first peak close to the best: multiples of the period score alike.
    for (size_t lag = minLag + 1; lag < maxLag; ++lag) {
        if (score[lag] >= 0.9 * best && score[lag] >= score[lag - 1] &&
            score[lag] >= score[lag + 1]) {
            const double a = score[lag - 1], b = score[lag], c = score[lag + 1];
            const double denominator = a - 2 * b + c;
            const double shift = denominator != 0 ? 0.5 * (a - c) / denominator : 0.0;
            return kRate / (static_cast<double>(lag) + shift);
        }
    }
    return 0;
}

double rms(const std::vector<int16_t> &samples, size_t from, size_t to) {
    to = std::min(to, samples.size());
    if (to <= from) {
        return 0;
    }
    double sum = 0;
    for (size_t n = from; n < to; ++n) {
        sum += static_cast<double>(samples[n]) * samples[n];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

int largestJump(const std::vector<int16_t> &samples, size_t from, size_t to) {
    int largest = 0;
    for (size_t n = std::max<size_t>(from, 1); n < std::min(to, samples.size()); ++n) {
        largest = std::max(largest, std::abs(samples[n] - samples[n - 1]));
    }
    return largest;
}

} // namespace mbrsynth_fixture
