#include "tools/mbrvoice/pitch_marks.h"

#include <algorithm>
#include <cmath>

namespace mbrvoice {
namespace {

double correlation(std::span<const float> x, size_t from, size_t length, size_t lag) {
    double cross = 0, a = 0, b = 0;
    for (size_t n = from; n < from + length && n + lag < x.size(); ++n) {
        cross += double{x[n]} * x[n + lag];
        a += double{x[n]} * x[n];
        b += double{x[n + lag]} * x[n + lag];
    }
    return a > 0 && b > 0 ? cross / std::sqrt(a * b) : 0.0;
}

double energy(std::span<const float> x, size_t from, size_t length) {
    double sum = 0;
    for (size_t n = from; n < std::min(x.size(), from + length); ++n) {
        sum += double{x[n]} * x[n];
    }
    return sum / static_cast<double>(std::max<size_t>(length, 1));
}

// Smoothed copy whose peaks mark the periods: a two-pass running mean
// keeps the glottal pulse's main lobe and drops the formant ripple.
std::vector<float> smoothed(std::span<const float> x, size_t width) {
    std::vector<float> out(x.begin(), x.end());
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<float> next(out.size());
        double sum = 0;
        for (size_t n = 0; n < out.size(); ++n) {
            sum += out[n];
            if (n >= width) {
                sum -= out[n - width];
            }
            next[n >= width / 2 ? n - width / 2 : 0] =
                static_cast<float>(sum / static_cast<double>(width));
        }
        out = std::move(next);
    }
    return out;
}

} // namespace

size_t estimatePeriod(std::span<const float> samples, size_t minPeriod, size_t maxPeriod) {
    const size_t frame = 2 * maxPeriod;
    if (samples.size() < frame + maxPeriod) {
        return 0;
    }
    size_t loudest = 0;
    double loudestEnergy = -1;
    for (size_t at = 0; at + frame + maxPeriod < samples.size(); at += frame / 2) {
        const double e = energy(samples, at, frame);
        if (e > loudestEnergy) {
            loudestEnergy = e;
            loudest = at;
        }
    }
    size_t best = 0;
    double bestScore = 0.5;
    for (size_t lag = minPeriod; lag <= maxPeriod; ++lag) {
        const double score = correlation(samples, loudest, frame, lag);
        if (score > bestScore + 0.02) { // the first strong peak, not a multiple
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

std::vector<Mark> placeMarks(std::span<const float> samples, size_t period) {
    std::vector<Mark> marks;
    if (period == 0 || samples.size() < 2 * period) {
        return marks;
    }
    const auto smooth = smoothed(samples, std::max<size_t>(2, period / 8));
    double loudest = 0;
    for (size_t at = 0; at + period < samples.size(); at += period) {
        loudest = std::max(loudest, energy(samples, at, period));
    }
    // Voiced where the stretch before `at` repeats one period later; espeak-ng's
    // flat pitch still drifts a little, so the period is looked for near the
    // expected one and followed.
    const auto localPeriod = [&](size_t at) -> size_t {
        const size_t from = at >= period ? at - period : 0;
        if (energy(samples, from, 2 * period) <= loudest * 1e-3) {
            return 0;
        }
        size_t best = 0;
        double bestScore = 0.7;
        for (size_t lag = period - period / 10; lag <= period + period / 10; ++lag) {
            const double score = correlation(samples, from, period, lag);
            if (score > bestScore) {
                bestScore = score;
                best = lag;
            }
        }
        return best;
    };
    size_t at = period / 2;
    bool lastVoiced = false;
    while (at < samples.size()) {
        const size_t local = localPeriod(at);
        const bool voiced = local != 0;
        if (voiced) {
            // Locked on: a small search around the expected place; coming
            // out of an unvoiced stretch, a whole period ahead.
            const size_t reach = lastVoiced ? local / 4 : local / 2;
            const size_t from = at > reach ? at - reach : 0;
            const size_t to = std::min(samples.size(), at + reach + 1);
            at = static_cast<size_t>(std::max_element(smooth.begin() + static_cast<long>(from),
                                                      smooth.begin() + static_cast<long>(to)) -
                                     smooth.begin());
        }
        if (marks.empty() || at > marks.back().position + period / 2) {
            marks.push_back({at, voiced});
        }
        lastVoiced = voiced;
        at = std::max(at, marks.back().position) + (voiced ? local : period);
    }
    return marks;
}

} // namespace mbrvoice
