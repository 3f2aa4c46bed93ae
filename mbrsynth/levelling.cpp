#include "mbrsynth/levelling.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace mbrsynth {
namespace {

constexpr double kBlockMs = 400.0;
constexpr size_t kHopsPerBlock = 4;
constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kRelativeGateLu = -10.0;
constexpr double kEdgeSilence = 0.01; // -40 dB below the peak
constexpr double kLoudnessOffset = -0.691;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0, z2 = 0;
    double step(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two stages of the K-weighting at `rate`: a high shelf of about +4 dB
// above 1.7 kHz, then a high-pass at 38 Hz.
std::vector<double> kWeighted(std::span<const float> samples, int rate, float scale) {
    const double shelfK = std::tan(std::numbers::pi * 1681.974450955533 / rate);
    const double shelfQ = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double shelfA0 = 1.0 + shelfK / shelfQ + shelfK * shelfK;
    Biquad shelf{(vh + vb * shelfK / shelfQ + shelfK * shelfK) / shelfA0,
                 2.0 * (shelfK * shelfK - vh) / shelfA0,
                 (vh - vb * shelfK / shelfQ + shelfK * shelfK) / shelfA0,
                 2.0 * (shelfK * shelfK - 1.0) / shelfA0,
                 (1.0 - shelfK / shelfQ + shelfK * shelfK) / shelfA0};
    const double passK = std::tan(std::numbers::pi * 38.13547087602444 / rate);
    const double passQ = 0.5003270373238773;
    const double passA0 = 1.0 + passK / passQ + passK * passK;
    Biquad highPass{1.0, -2.0, 1.0, 2.0 * (passK * passK - 1.0) / passA0,
                    (1.0 - passK / passQ + passK * passK) / passA0};
    std::vector<double> out(samples.size());
    for (size_t n = 0; n < samples.size(); ++n) {
        out[n] = highPass.step(shelf.step(samples[n] / scale));
    }
    return out;
}

double meanSquare(const std::vector<double> &x, size_t from, size_t to) {
    double sum = 0;
    for (size_t n = from; n < to; ++n) {
        sum += x[n] * x[n];
    }
    return sum / static_cast<double>(to - from);
}

double lufsOf(double power) {
    return kLoudnessOffset + 10.0 * std::log10(power);
}

// The mean power of the blocks that pass both gates; 0 when none does.
// Blocks are four hops long and a hop is a tenth of a second, rounded as
// libebur128 rounds it; each hop's sum is taken once.
double gatedPower(const std::vector<double> &weighted, int rate) {
    const auto hop = static_cast<size_t>((rate + 5) / 10);
    std::vector<double> hopSums;
    for (size_t start = 0; start + hop <= weighted.size(); start += hop) {
        hopSums.push_back(meanSquare(weighted, start, start + hop));
    }
    std::vector<double> powers;
    for (size_t k = 0; k + kHopsPerBlock <= hopSums.size(); ++k) {
        double power = 0;
        for (size_t h = k; h < k + kHopsPerBlock; ++h) {
            power += hopSums[h] / kHopsPerBlock;
        }
        if (power > 0 && lufsOf(power) > kAbsoluteGateLufs) {
            powers.push_back(power);
        }
    }
    if (powers.empty()) {
        return 0;
    }
    double mean = 0;
    for (const double p : powers) {
        mean += p;
    }
    mean /= static_cast<double>(powers.size());
    const double gate = mean * std::pow(10.0, kRelativeGateLu / 10.0);
    double sum = 0;
    size_t count = 0;
    for (const double p : powers) {
        if (p > gate) {
            sum += p;
            ++count;
        }
    }
    return count ? sum / static_cast<double>(count) : 0;
}

// The K-weighted power of the sounding part, as loudness is measured, of
// samples at `scale` for full scale; and their peak (0 to 1).
double soundingPower(std::span<const float> samples, int rate, float scale, float &peak) {
    peak = 0;
    for (const float s : samples) {
        peak = std::max(peak, std::abs(s));
    }
    if (peak <= 0 || rate <= 0) {
        return 0;
    }
    const auto edge = static_cast<float>(peak * kEdgeSilence);
    peak /= scale;
    const auto loud = [edge](float s) { return std::abs(s) >= edge; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    const auto sounding = samples.subspan(static_cast<size_t>(first - samples.begin()),
                                          static_cast<size_t>(last - first));
    const std::vector<double> weighted = kWeighted(sounding, rate, scale);
    if (1000.0 * static_cast<double>(sounding.size()) / rate >= kBlockMs) {
        return gatedPower(weighted, rate);
    }
    return meanSquare(weighted, 0, weighted.size());
}

} // namespace

std::optional<double> loudnessLufs(std::span<const float> samples, int rate) {
    float peak = 0;
    const double power = soundingPower(samples, rate, 1.0f, peak);
    if (power <= 0) {
        return std::nullopt;
    }
    return lufsOf(power);
}

double levellingGain(std::span<const float> samples, int rate, float scale) {
    float peak = 0;
    const double power = soundingPower(samples, rate, scale, peak);
    if (power <= 0) {
        return 1.0;
    }
    const double targetPower = std::pow(10.0, (kUtteranceLufs - kLoudnessOffset) / 10.0);
    double gain = std::sqrt(targetPower / power);
    gain =
        std::clamp(gain, std::pow(10.0, -kMaxLowerDb / 20.0), std::pow(10.0, kMaxRaiseDb / 20.0));
    gain = std::min(gain, kLevelledPeak / peak);
    return std::floor(gain * kGainSteps) / kGainSteps;
}

} // namespace mbrsynth
