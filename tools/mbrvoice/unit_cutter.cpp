#include "tools/mbrvoice/unit_cutter.h"

#include <algorithm>

namespace mbrvoice {
namespace {

// Index of each of the logatome's phonemes among the events, in order;
// espeak-ng's own pauses and glides in between are passed over.
std::optional<std::vector<size_t>> matchEvents(const std::vector<PhonemeEvent> &events,
                                               const std::vector<std::string> &phonemes) {
    std::vector<size_t> found;
    for (size_t e = 0; e < events.size() && found.size() < phonemes.size(); ++e) {
        if (events[e].mnemonic == phonemes[found.size()]) {
            found.push_back(e);
        }
    }
    if (found.size() != phonemes.size()) {
        return std::nullopt;
    }
    return found;
}

bool isStop(const std::string &mnemonic) {
    static const std::string stops[] = {"p", "b", "t", "d", "k", "g", "tS", "dZ"};
    return std::find(std::begin(stops), std::end(stops), mnemonic) != std::end(stops);
}

// espeak-ng's event for a stop comes with its burst; the closure before it
// is counted in the phoneme before. The stop is taken to start where that
// silence starts, so that each phone's duration holds its whole sound.
size_t closureStart(const std::vector<float> &signal, size_t burst, size_t earliest,
                    uint32_t rate) {
    const size_t frame = rate / 200; // 5 ms
    double loudest = 0;
    for (size_t at = 0; at + frame <= signal.size(); at += frame) {
        double e = 0;
        for (size_t n = at; n < at + frame; ++n) {
            e += double{signal[n]} * signal[n];
        }
        loudest = std::max(loudest, e);
    }
    const auto quiet = [&](size_t end) {
        double e = 0;
        for (size_t n = end - frame; n < end; ++n) {
            e += double{signal[n]} * signal[n];
        }
        return e < loudest * 1e-4;
    };
    size_t start = burst;
    while (start >= earliest + frame && start >= frame && quiet(start)) {
        start -= frame;
    }
    return start;
}

std::string eventList(const std::vector<PhonemeEvent> &events) {
    std::string list;
    for (const auto &e : events) {
        list += e.mnemonic + "@" + std::to_string(e.sample) + " ";
    }
    return list;
}

} // namespace

std::optional<Unit> cutUnit(const Spoken &spoken, const Logatome &logatome,
                            const CutSettings &settings, std::string &problem) {
    const auto found = matchEvents(spoken.events, logatome.phonemes);
    if (!found) {
        problem = logatome.text + ": events " + eventList(spoken.events);
        return std::nullopt;
    }
    const size_t firstEvent = (*found)[logatome.first];
    const size_t secondEvent = (*found)[logatome.first + 1];
    const double scale = static_cast<double>(settings.toRate) / settings.fromRate;
    const auto at = [&](size_t sample) {
        return static_cast<size_t>(static_cast<double>(sample) * scale + 0.5);
    };
    std::vector<float> input(spoken.samples.size());
    for (size_t n = 0; n < input.size(); ++n) {
        input[n] = static_cast<float>(spoken.samples[n]) / 32768.0f;
    }
    const auto signal = settings.resampler->convert(input);
    size_t startA = at(spoken.events[firstEvent].sample);
    size_t startB = at(spoken.events[secondEvent].sample);
    if (isStop(logatome.phonemes[logatome.first]) && firstEvent > 0) {
        startA = closureStart(signal, startA, at(spoken.events[firstEvent - 1].sample) + 1,
                              settings.toRate);
    }
    if (isStop(logatome.phonemes[logatome.first + 1])) {
        startB = closureStart(signal, startB, startA + 1, settings.toRate);
    }
    const size_t endB = secondEvent + 1 < spoken.events.size()
                            ? at(spoken.events[secondEvent + 1].sample)
                            : signal.size();
    if (!(startA < startB && startB < endB && endB <= signal.size())) {
        problem = logatome.text + ": phonemes out of order: " + eventList(spoken.events);
        return std::nullopt;
    }
    size_t period = estimatePeriod(signal, settings.toRate / 400, settings.toRate / 60);
    if (period == 0) {
        period = settings.fallbackPeriod;
    }
    const size_t cutStart = (startA + startB) / 2;
    const size_t cutEnd = (startB + endB) / 2;
    const size_t from = cutStart > period ? cutStart - period : 0;
    const size_t to = std::min(signal.size(), cutEnd + period);
    Unit unit;
    unit.samples.assign(signal.begin() + static_cast<long>(from),
                        signal.begin() + static_cast<long>(to));
    unit.coreStart = cutStart - from;
    unit.coreEnd = cutEnd - from;
    unit.boundary = startB - from;
    unit.period = period;
    for (const Mark &mark : placeMarks(signal, period)) {
        if (mark.position >= cutStart && mark.position < cutEnd) {
            unit.marks.push_back({mark.position - from, mark.voiced});
        }
    }
    if (unit.marks.empty()) {
        problem = logatome.text + ": no pitch mark inside the cut";
        return std::nullopt;
    }
    return unit;
}

Unit silentUnit(size_t length, size_t period) {
    Unit unit;
    unit.samples.assign(length + 2 * period, 0.0f);
    unit.coreStart = period;
    unit.coreEnd = period + length;
    unit.boundary = period + length / 2;
    for (size_t at = unit.coreStart; at < unit.coreEnd; at += period) {
        unit.marks.push_back({at, false});
    }
    unit.period = period;
    return unit;
}

Unit fadeIntoPause(const Unit &withVowel, size_t fade, size_t pause) {
    Unit unit;
    const size_t end = withVowel.boundary;
    unit.samples.assign(withVowel.samples.begin(),
                        withVowel.samples.begin() + static_cast<long>(end));
    fade = std::min(fade, end - withVowel.coreStart);
    for (size_t k = 0; k < fade; ++k) {
        unit.samples[end - 1 - k] *= static_cast<float>(k) / static_cast<float>(fade);
    }
    unit.samples.resize(end + pause + withVowel.period, 0.0f);
    unit.coreStart = withVowel.coreStart;
    unit.boundary = end;
    unit.coreEnd = end + pause;
    unit.period = withVowel.period;
    for (const Mark &m : withVowel.marks) {
        if (m.position < end) {
            unit.marks.push_back(m);
        }
    }
    const size_t firstSilent = unit.marks.empty() ? end : unit.marks.back().position + unit.period;
    for (size_t at = std::max(firstSilent, end); at < unit.coreEnd; at += unit.period) {
        unit.marks.push_back({at, false});
    }
    return unit;
}

Unit fadeOutOfPause(const Unit &withVowel, size_t fade, size_t pause) {
    Unit unit;
    const size_t lead = withVowel.period + pause;
    unit.samples.assign(lead, 0.0f);
    unit.samples.insert(unit.samples.end(),
                        withVowel.samples.begin() + static_cast<long>(withVowel.boundary),
                        withVowel.samples.end());
    fade = std::min(fade, withVowel.coreEnd - withVowel.boundary);
    for (size_t k = 0; k < fade; ++k) {
        unit.samples[lead + k] *= static_cast<float>(k) / static_cast<float>(fade);
    }
    unit.coreStart = withVowel.period;
    unit.boundary = lead;
    unit.coreEnd = lead + withVowel.coreEnd - withVowel.boundary;
    unit.period = withVowel.period;
    for (size_t at = unit.coreStart; at + unit.period / 2 < lead; at += unit.period) {
        unit.marks.push_back({at, false});
    }
    for (const Mark &m : withVowel.marks) {
        if (m.position >= withVowel.boundary) {
            unit.marks.push_back({m.position - withVowel.boundary + lead, m.voiced});
        }
    }
    return unit;
}

Unit joinHalves(const Unit &firstWithVowel, const Unit &secondAfterPause, size_t fade) {
    Unit unit = fadeIntoPause(firstWithVowel, fade, 0);
    unit.samples.resize(unit.boundary);
    unit.marks.erase(std::remove_if(unit.marks.begin(), unit.marks.end(),
                                    [&](const Mark &m) { return m.position >= unit.boundary; }),
                     unit.marks.end());
    const Unit &second = secondAfterPause;
    unit.samples.insert(unit.samples.end(),
                        second.samples.begin() + static_cast<long>(second.boundary),
                        second.samples.end());
    unit.coreEnd = unit.boundary + second.coreEnd - second.boundary;
    for (const Mark &m : second.marks) {
        if (m.position >= second.boundary) {
            unit.marks.push_back({m.position - second.boundary + unit.boundary, m.voiced});
        }
    }
    return unit;
}

} // namespace mbrvoice
