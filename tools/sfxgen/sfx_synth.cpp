#include "tools/sfxgen/sfx_synth.h"

#include <array>
#include <cmath>
#include <numbers>

namespace sfx {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kVibratoHz = 5.5;
constexpr double kVibratoDelay = 0.12; // seconds before the vibrato sets in

double envelope(const Note &note, double t) {
    double level = std::exp(-note.decay * t);
    if (t < note.attack) {
        level *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / note.attack);
    }
    const double untilEnd = note.length - t;
    if (untilEnd < note.release) {
        level *= 0.5 - 0.5 * std::cos(std::numbers::pi * untilEnd / note.release);
    }
    return level;
}

double vibrato(const Note &note, double t) {
    if (note.vibratoDepth == 0.0 || t < kVibratoDelay) {
        return 1.0;
    }
    return 1.0 + note.vibratoDepth * std::sin(kTwoPi * kVibratoHz * (t - kVibratoDelay));
}

// A bell-like chime: the upper partials are inharmonic and die away first.
constexpr std::array kChime = {Partial{1.0, 1.0, 0.0}, Partial{2.0, 0.35, 12.0},
                               Partial{3.0, 0.15, 25.0}, Partial{4.2, 0.10, 40.0}};
// Bright brass-like tone: every harmonic, falling as 1/k.
constexpr std::array kBrass = {Partial{1.0, 1.0, 0.0},   Partial{2.0, 0.5, 2.0},
                               Partial{3.0, 0.33, 4.0},  Partial{4.0, 0.25, 6.0},
                               Partial{5.0, 0.2, 8.0},   Partial{6.0, 0.17, 10.0},
                               Partial{7.0, 0.14, 12.0}, Partial{8.0, 0.12, 14.0}};
// The "tch" of the hit: a dense inharmonic cluster that fades fast.
constexpr std::array kCrash = {
    Partial{1.0, 1.0, 0.0},    Partial{1.162, 0.9, 3.0},  Partial{1.348, 0.8, 6.0},
    Partial{1.562, 0.7, 9.0},  Partial{1.814, 0.6, 12.0}, Partial{2.103, 0.5, 15.0},
    Partial{2.355, 0.4, 18.0}, Partial{2.655, 0.3, 21.0}, Partial{2.931, 0.25, 24.0}};
constexpr std::array kSine = {Partial{1.0, 1.0, 0.0}};
// Hollow, clarinet-like tone: mostly odd harmonics.
constexpr std::array kReed = {Partial{1.0, 1.0, 0.0}, Partial{2.0, 0.08, 0.0},
                              Partial{3.0, 0.4, 0.5}, Partial{5.0, 0.2, 1.0},
                              Partial{7.0, 0.1, 1.5}};
constexpr std::array kOrgan = {Partial{1.0, 1.0, 0.0}, Partial{2.0, 0.5, 0.0},
                               Partial{3.0, 0.25, 0.0}};

std::vector<float> makePlim(uint32_t rate) {
    std::vector<float> out;
    // A grace note a fifth below slides into the ringing top note: "pl-im".
    addNote(out, rate, {0.0, 0.035, 1318.5, 0.5, 0.002, 0.015, 20.0, 0.0, kChime});
    addNote(out, rate, {0.025, 0.175, 1975.5, 1.0, 0.003, 0.03, 16.0, 0.0, kChime});
    return out;
}

std::vector<float> makeTchen(uint32_t rate) {
    std::vector<float> out;
    // A minor chord, spread over three octaves, struck at once.
    for (double frequency : {110.0, 164.81, 220.0, 261.63, 329.63}) {
        addNote(out, rate, {0.0, 0.42, frequency, 0.5, 0.006, 0.08, 6.0, 0.0, kBrass});
    }
    addNote(out, rate, {0.0, 0.3, 55.0, 1.2, 0.004, 0.1, 10.0, 0.0, kSine});
    addNote(out, rate, {0.0, 0.25, 2900.0, 0.25, 0.001, 0.1, 22.0, 0.0, kCrash});
    return out;
}

std::vector<float> makeRequiem(uint32_t rate) {
    std::vector<float> out;
    // A, G, F, E falling onto a long D over a soft D pedal.
    constexpr std::array melody = {440.0, 392.0, 349.23, 329.63, 293.66};
    constexpr double step = 0.36;
    for (size_t i = 0; i < melody.size(); ++i) {
        const bool last = i + 1 == melody.size();
        const double length = last ? 1.0 : step + 0.06; // slight overlap: legato
        addNote(out, rate,
                {step * static_cast<double>(i), length, melody[i], 1.0, 0.04, last ? 0.45 : 0.1,
                 0.5, 0.004, kReed});
    }
    const double total = step * static_cast<double>(melody.size() - 1) + 1.0;
    addNote(out, rate, {0.0, total, 146.83, 0.35, 0.25, 0.5, 0.2, 0.0, kOrgan});
    return out;
}

} // namespace

void addNote(std::vector<float> &out, uint32_t rate, const Note &note) {
    const auto first = static_cast<size_t>(note.start * rate);
    const auto count = static_cast<size_t>(note.length * rate);
    if (out.size() < first + count) {
        out.resize(first + count, 0.0f);
    }
    std::vector<double> phases(note.partials.size(), 0.0);
    for (size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) / rate;
        const double base = note.frequency * vibrato(note, t);
        double sum = 0.0;
        for (size_t p = 0; p < note.partials.size(); ++p) {
            const Partial &partial = note.partials[p];
            sum += partial.amplitude * std::exp(-partial.decay * t) * std::sin(phases[p]);
            phases[p] += kTwoPi * base * partial.ratio / rate;
        }
        out[first + n] += static_cast<float>(note.amplitude * envelope(note, t) * sum);
    }
}

std::vector<float> makeEffect(std::string_view name, uint32_t rate) {
    if (name == "plim") {
        return makePlim(rate);
    }
    if (name == "tchen") {
        return makeTchen(rate);
    }
    if (name == "requiem") {
        return makeRequiem(rate);
    }
    return {};
}

} // namespace sfx
