#include "tools/mbrvoice/syllable_levels.h"

#include "mbrsynth/synthesizer.h"
#include "tools/loudness/loudness.h"
#include "tools/mbrvoice/phone_set.h"
#include "tools/mbrvoice/voice_assembly.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace mbrvoice {
namespace {

constexpr int kRounds = 8;
constexpr double kMaxStepDb = 3.0;
constexpr double kNoLoudness = -200.0;
// How much a word's loudness follows its phoneme's gain: a vowel fills most
// of its word, a consonant or a glide shares it with the vowels. Measured
// again after every round; kept within these bounds so that a burst that
// hardly counts is not pushed to the limit.
constexpr double kVowelShare = 1.0;
constexpr double kOtherShare = 0.5;
constexpr double kLeastShare = 0.25;

size_t indexOf(const char *name) {
    const auto &phones = phoneSet();
    for (size_t p = 0; p < phones.size(); ++p) {
        if (phones[p].name == name) {
            return p;
        }
    }
    throw std::logic_error(std::string("phoneme set lacks ") + name);
}

// Two syllables, the second stressed, between pauses, with the durations
// and pitch points the engine gives a word.
std::string twoSyllables(const std::string &onset, const std::string &vowel,
                         const std::string &coda = {}) {
    std::string lines = "_ 48 50 120\n" + onset + " 72 50 127\n" + vowel + " 78\n";
    if (!coda.empty()) {
        lines += coda + " 64\n";
    }
    lines += onset + " 65\n" + vowel + " 120 80 134\n";
    if (!coda.empty()) {
        lines += coda + " 64\n";
    }
    return lines + "_ 48 50 120\n";
}

std::vector<double> meanBySubject(const std::vector<TrialWord> &words,
                                  const std::vector<double> &levels) {
    std::vector<double> sum(phoneSet().size(), 0.0), count(phoneSet().size(), 0.0);
    for (size_t w = 0; w < words.size(); ++w) {
        sum[words[w].subject] += levels[w];
        count[words[w].subject] += 1;
    }
    for (size_t p = 0; p < sum.size(); ++p) {
        sum[p] = count[p] > 0 ? sum[p] / count[p] : kNoLoudness;
    }
    return sum;
}

double spreadOf(const std::vector<double> &levels) {
    double low = 0, high = 0;
    bool any = false;
    for (const double level : levels) {
        if (level > kNoLoudness) {
            low = any ? std::min(low, level) : level;
            high = any ? std::max(high, level) : level;
            any = true;
        }
    }
    return high - low;
}

double vowelMedian(const std::vector<double> &byPhoneme) {
    std::vector<double> vowels;
    for (size_t p = 0; p < byPhoneme.size(); ++p) {
        if (phoneSet()[p].kind == PhoneClass::Vowel && byPhoneme[p] > kNoLoudness) {
            vowels.push_back(byPhoneme[p]);
        }
    }
    return vowels.empty() ? kNoLoudness : median(vowels);
}

// A pause takes the gain of the phoneme beside it.
void applyGains(std::vector<PairUnit> &units, const std::vector<double> &gainDb) {
    const auto factor = [&](size_t p) { return std::pow(10.0, gainDb[p] / 20.0); };
    for (PairUnit &u : units) {
        const bool firstIsPause = phoneSet()[u.first].kind == PhoneClass::Silence;
        const bool secondIsPause = phoneSet()[u.second].kind == PhoneClass::Silence;
        const double start = factor(firstIsPause ? u.second : u.first);
        const double end = factor(secondIsPause ? u.first : u.second);
        glideGain(u.unit, start, end);
    }
}

} // namespace

std::vector<TrialWord> trialWords() {
    const auto &phones = phoneSet();
    std::vector<TrialWord> words;
    for (size_t p = 0; p < phones.size(); ++p) {
        const std::string &name = phones[p].name;
        switch (phones[p].kind) {
        case PhoneClass::Vowel:
            for (const char *stop : {"p", "t", "k"}) {
                words.push_back({p, twoSyllables(stop, name)});
            }
            break;
        case PhoneClass::Glide:
            words.push_back({p, twoSyllables("p", "a", name)});
            break;
        case PhoneClass::Consonant:
            for (const char *vowel : {"a", "i", "u"}) {
                words.push_back({p, twoSyllables(name, vowel)});
            }
            break;
        case PhoneClass::Silence:
            break;
        }
    }
    // The names are checked once, so that a renamed phoneme fails here.
    for (const char *name : {"p", "t", "k", "a", "i", "u"}) {
        indexOf(name);
    }
    return words;
}

std::vector<double> trialLoudness(const std::vector<PairUnit> &units,
                                  const std::vector<TrialWord> &words, uint32_t rate) {
    mbrsynth::Synthesizer synthesizer{mbrsynth::Voice(assembleVoice(units, rate, "trial"))};
    synthesizer.setLevelling(false);
    std::vector<double> levels;
    std::array<int16_t, 4096> chunk{};
    std::vector<float> samples;
    for (const TrialWord &word : words) {
        synthesizer.reset();
        synthesizer.write(word.lines);
        synthesizer.flush();
        samples.clear();
        while (const size_t n = synthesizer.read(chunk)) {
            for (size_t k = 0; k < n; ++k) {
                samples.push_back(static_cast<float>(chunk[k]) / 32768.0f);
            }
        }
        levels.push_back(loudness::loudnessOf(samples, rate).value_or(kNoLoudness));
    }
    return levels;
}

SyllableSpread evenSyllables(std::vector<PairUnit> &units, uint32_t rate) {
    const auto &phones = phoneSet();
    const std::vector<TrialWord> words = trialWords();
    const std::vector<PairUnit> original = units;
    std::vector<double> heard = meanBySubject(words, trialLoudness(units, words, rate));
    const double target = vowelMedian(heard);
    SyllableSpread spread{spreadOf(heard), 0};

    std::vector<double> gain(phones.size(), 0.0), share(phones.size()), lastGain(phones.size()),
        lastHeard(phones.size());
    for (size_t p = 0; p < phones.size(); ++p) {
        share[p] = phones[p].kind == PhoneClass::Vowel ? kVowelShare : kOtherShare;
    }
    for (int round = 0; round < kRounds; ++round) {
        for (size_t p = 0; p < phones.size(); ++p) {
            if (heard[p] <= kNoLoudness) {
                continue;
            }
            if (round > 0 && std::abs(gain[p] - lastGain[p]) > 0.05) {
                share[p] = std::clamp((heard[p] - lastHeard[p]) / (gain[p] - lastGain[p]),
                                      kLeastShare, 1.0);
            }
            lastGain[p] = gain[p];
            lastHeard[p] = heard[p];
            const double step = std::clamp((target - heard[p]) / share[p], -kMaxStepDb, kMaxStepDb);
            gain[p] = std::clamp(gain[p] + step, -kMaxSyllableGainDb, kMaxSyllableGainDb);
        }
        units = original;
        applyGains(units, gain);
        heard = meanBySubject(words, trialLoudness(units, words, rate));
    }
    spread.after = spreadOf(heard);
    return spread;
}

} // namespace mbrvoice
