#include "mbrsynth/psola.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mbrsynth {
namespace {

constexpr uint32_t kMinReach = 4;

GrainMark markAt(const VoiceData &voice, const Diphone &unit, uint32_t k, uint32_t maxReach) {
    const PitchMark *marks = voice.marks.data() + unit.markStart;
    const uint32_t pos = marks[k].position;
    const uint32_t before = k > 0 ? pos - marks[k - 1].position : 0;
    const uint32_t after = k + 1 < unit.markCount ? marks[k + 1].position - pos : 0;
    const uint32_t fallback = std::max({before, after, kMinReach});
    GrainMark mark;
    mark.unit = &unit;
    mark.position = pos;
    mark.left = std::clamp(before ? before : fallback, kMinReach, maxReach);
    mark.right = std::clamp(after ? after : fallback, kMinReach, maxReach);
    mark.voiced = marks[k].voiced;
    return mark;
}

// Index range [first, last) of the unit's marks inside the half.
std::pair<uint32_t, uint32_t> marksInside(const VoiceData &voice, const UnitHalf &half) {
    const PitchMark *begin = voice.marks.data() + half.unit->markStart;
    const PitchMark *end = begin + half.unit->markCount;
    const auto byPosition = [](const PitchMark &m, uint32_t p) { return m.position < p; };
    const PitchMark *first = std::lower_bound(begin, end, half.from, byPosition);
    const PitchMark *last = std::lower_bound(first, end, half.to, byPosition);
    return {static_cast<uint32_t>(first - begin), static_cast<uint32_t>(last - begin)};
}

} // namespace

const float *WindowTables::forReach(uint32_t reach) {
    if (reach >= tables_.size()) {
        tables_.resize(reach + 1);
    }
    std::vector<float> &table = tables_[reach];
    if (table.empty()) {
        table.resize(reach);
        for (uint32_t k = 0; k < reach; ++k) {
            const double phase = std::numbers::pi * static_cast<double>(k) / reach;
            table[k] = static_cast<float>(0.5 * (1.0 + std::cos(phase)));
        }
    }
    return table.data();
}

std::optional<GrainMark> nearestMark(const VoiceData &voice, const UnitHalf &half, double position,
                                     uint32_t maxReach) {
    if (!half.unit || half.unit->markCount == 0) {
        return std::nullopt;
    }
    auto [first, last] = marksInside(voice, half);
    if (first == last) {
        first = 0;
        last = half.unit->markCount;
    }
    const PitchMark *marks = voice.marks.data() + half.unit->markStart;
    uint32_t best = first;
    double bestDistance = std::abs(marks[first].position - position);
    for (uint32_t k = first + 1; k < last; ++k) {
        const double distance = std::abs(marks[k].position - position);
        if (distance >= bestDistance) {
            break; // marks ascend, so distances only grow from here
        }
        best = k;
        bestDistance = distance;
    }
    return markAt(voice, *half.unit, best, maxReach);
}

std::optional<GrainMark> edgeMark(const VoiceData &voice, const UnitHalf &half, bool atEnd,
                                  uint32_t maxReach) {
    const double edge = atEnd ? static_cast<double>(half.to) : static_cast<double>(half.from);
    return nearestMark(voice, half, edge, maxReach);
}

std::optional<GrainMark> neighbourMark(const VoiceData &voice, const UnitHalf &half,
                                       const GrainMark &mark, int step, uint32_t maxReach) {
    if (!half.unit || mark.unit != half.unit) {
        return std::nullopt;
    }
    const auto [first, last] = marksInside(voice, half);
    const PitchMark *marks = voice.marks.data() + half.unit->markStart;
    const auto byPosition = [](const PitchMark &m, uint32_t p) { return m.position < p; };
    const auto here = static_cast<int64_t>(
        std::lower_bound(marks, marks + half.unit->markCount, mark.position, byPosition) - marks);
    const int64_t there = here + step;
    if (there < first || there >= last) {
        return std::nullopt;
    }
    return markAt(voice, *half.unit, static_cast<uint32_t>(there), maxReach);
}

void overlapAdd(OutputBuffer &out, WindowTables &windows, int64_t centre, const VoiceData &voice,
                const GrainMark &mark, float weight) {
    const int16_t *samples = voice.samples.data() + mark.unit->sampleStart;
    const int64_t count = mark.unit->sampleCount;
    const int64_t position = mark.position;
    // Backwards, the samples after the mark come first.
    const uint32_t before = mark.reversed ? mark.right : mark.left;
    const uint32_t after = mark.reversed ? mark.left : mark.right;
    // Offsets k from the mark, within the window and with their source
    // sample inside the unit.
    int64_t first = std::max<int64_t>(-static_cast<int64_t>(before) + 1,
                                      mark.reversed ? position - count + 1 : -position);
    const int64_t end = std::min<int64_t>(after, mark.reversed ? position + 1 : count - position);
    if (first >= end) {
        return;
    }
    int64_t from = centre + first;
    const std::span<float> target = out.openRange(from, centre + end);
    if (target.empty()) {
        return;
    }
    first = from - centre;
    const int64_t step = mark.reversed ? -1 : 1;
    const int16_t *source = samples + position + step * first;
    float *sum = target.data();
    // The window's two halves have their own reach; both tables start at
    // the mark.
    const float *rising = windows.forReach(before);
    const float *falling = windows.forReach(after);
    for (int64_t k = first; k < std::min<int64_t>(end, 0); ++k, source += step, ++sum) {
        const float shaped = *source * rising[-k];
        *sum += shaped * weight;
    }
    for (int64_t k = std::max<int64_t>(first, 0); k < end; ++k, source += step, ++sum) {
        const float shaped = *source * falling[k];
        *sum += shaped * weight;
    }
}

} // namespace mbrsynth
