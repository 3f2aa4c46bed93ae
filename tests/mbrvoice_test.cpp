// The built-in engine's voice builder: the logatomes it asks espeak-ng for,
// its pitch marks, the units it makes for pairs espeak-ng does not say, and
// the evening out of its syllables.
#include "tools/mbrvoice/logatomes.h"
#include "tools/mbrvoice/phone_set.h"
#include "tools/mbrvoice/pitch_marks.h"
#include "tools/mbrvoice/syllable_levels.h"
#include "tools/mbrvoice/unit_cutter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace mbrvoice;

const Phone &phone(const std::string &name) {
    for (const Phone &p : phoneSet()) {
        if (p.name == name) {
            return p;
        }
    }
    throw std::runtime_error("no phone " + name);
}

TEST(MbrVoice, PhonemeSetHasTheEnginesThirtySevenNames) {
    const auto &phones = phoneSet();
    ASSERT_EQ(phones.size(), 37u);
    std::set<std::string> names;
    for (const Phone &p : phones) {
        EXPECT_TRUE(names.insert(p.name).second) << p.name;
        EXPECT_LE(p.name.size(), 7u);
    }
}

struct LogatomeCase {
    const char *first, *second;
    const char *text;
};

TEST(MbrVoice, LogatomesFrameThePairAndStressAVowel) {
    const LogatomeCase cases[] = {
        {"t", "i", "a|tS|'i|p|a"},   // t before an i sound is the affricate
        {"d", "y", "'a|dZ|j|a"},     //
        {"t", "in", "a|tS|'i~|p|a"}, //
        {"t", "a", "a|t|'a|p|a"},    // and plain before anything else
        {"i", "t", "p|'i|t|a"},      //
        {"_", "p", "_p|'a"},         // no separator after the pause
        {"a", "_", "p|'a|_"},        //
        {"s2", "m", "'a|s|m|a"},     // no vowel in the pair: the frame's
        {"rr", "oo", "a|x|'O|p|a"},
    };
    for (const auto &c : cases) {
        const Logatome l = logatomeFor(phone(c.first), phone(c.second), 0);
        EXPECT_EQ(l.text, c.text) << c.first << "-" << c.second;
        ASSERT_LT(l.first + 1, l.phonemes.size());
        EXPECT_EQ(l.phonemes[l.first + 1], phone(c.second).mnemonic);
    }
    EXPECT_NE(logatomeFor(phone("t"), phone("a"), 1).text,
              logatomeFor(phone("t"), phone("a"), 0).text);
}

// A pulse train with a smooth pulse shape at a known period, silent in the
// middle: marks one period apart on the pulses, unvoiced marks in the gap.
TEST(MbrVoice, MarksSitOnThePulsesOneperiodApart) {
    const size_t period = 133;
    std::vector<float> signal(8000, 0.0f);
    for (size_t n = 0; n < signal.size(); ++n) {
        if (n >= 3000 && n < 5000) {
            continue;
        }
        const double t = static_cast<double>((n + 40) % period);
        signal[n] = static_cast<float>(0.5 * std::exp(-t / 12.0) * std::cos(t * 0.35));
    }
    EXPECT_NEAR(static_cast<double>(estimatePeriod(signal, 40, 266)), period, 1.0);
    const auto marks = placeMarks(signal, period);
    size_t voiced = 0;
    for (size_t k = 0; k < marks.size(); ++k) {
        if (k > 0) {
            EXPECT_GT(marks[k].position, marks[k - 1].position);
        }
        if (marks[k].position >= 3000 + period && marks[k].position < 5000) {
            EXPECT_FALSE(marks[k].voiced) << marks[k].position;
        }
        if (marks[k].voiced && marks[k].position > 2 * period && marks[k].position < 2900) {
            ++voiced;
            const size_t offset = (marks[k].position + 40) % period;
            EXPECT_LE(std::min(offset, period - offset), 2u) << marks[k].position;
        }
    }
    EXPECT_GE(voiced, 18u);
}

Unit voicedUnit(size_t length, size_t boundary, size_t period) {
    Unit unit;
    unit.samples.assign(length, 0.3f);
    unit.period = period;
    unit.coreStart = period;
    unit.coreEnd = length - period;
    unit.boundary = boundary;
    for (size_t at = unit.coreStart; at < unit.coreEnd; at += period) {
        unit.marks.push_back({at, true});
    }
    return unit;
}

void expectWellFormed(const Unit &unit) {
    EXPECT_LE(unit.coreStart, unit.boundary);
    EXPECT_LE(unit.boundary, unit.coreEnd);
    EXPECT_LE(unit.coreEnd, unit.samples.size());
    ASSERT_FALSE(unit.marks.empty());
    for (size_t k = 1; k < unit.marks.size(); ++k) {
        EXPECT_GT(unit.marks[k].position, unit.marks[k - 1].position);
    }
    EXPECT_LT(unit.marks.back().position, unit.samples.size());
}

TEST(MbrVoice, UnitsMadeFromOtherUnitsFadeAndKeepTheirMarksInOrder) {
    const Unit lWithA = voicedUnit(2000, 900, 100);
    const Unit aWithL = voicedUnit(2000, 1100, 100);
    const Unit pauseWithP = voicedUnit(1500, 700, 100);

    const Unit into = fadeIntoPause(lWithA, 240, 480);
    expectWellFormed(into);
    EXPECT_FLOAT_EQ(into.samples[into.boundary - 1], 0.0f); // faded out by the pause
    EXPECT_EQ(into.coreEnd - into.boundary, 480u);

    const Unit outOf = fadeOutOfPause(aWithL, 240, 480);
    expectWellFormed(outOf);
    EXPECT_FLOAT_EQ(outOf.samples[outOf.boundary], 0.0f);
    EXPECT_FLOAT_EQ(outOf.samples[outOf.boundary - 1], 0.0f);

    const Unit joined = joinHalves(lWithA, pauseWithP, 240);
    expectWellFormed(joined);
    EXPECT_EQ(joined.boundary, lWithA.boundary);
    EXPECT_EQ(joined.samples.size(), lWithA.boundary + 1500 - 700);
}

// A voice of buzzes, every pair of the set: the vowels "u" and "an" and the
// consonant "l" louder or softer than the rest (within the gain limit), as
// a speaker's would be.
std::vector<PairUnit> buzzVoice() {
    const auto level = [](const Phone &p) {
        if (p.kind == PhoneClass::Silence) {
            return 0.0f;
        }
        return p.name == "u" ? 0.12f : p.name == "an" ? 0.35f : p.name == "l" ? 0.3f : 0.2f;
    };
    std::vector<PairUnit> units;
    const auto &phones = phoneSet();
    for (size_t a = 0; a < phones.size(); ++a) {
        for (size_t b = 0; b < phones.size(); ++b) {
            Unit unit = voicedUnit(1600, 800, 145);
            for (size_t n = 0; n < unit.samples.size(); ++n) {
                const float pulse = n % 145 < 20 ? 1.0f : -0.16f;
                unit.samples[n] = pulse * (n < unit.boundary ? level(phones[a]) : level(phones[b]));
            }
            units.push_back({a, b, std::move(unit)});
        }
    }
    return units;
}

TEST(MbrVoice, SyllablesAreEvenedOutAsTheEngineSpeaksThem) {
    auto units = buzzVoice();
    const auto words = trialWords();
    const auto wordsOf = [&](const char *name, const std::vector<double> &levels) {
        double sum = 0;
        int count = 0;
        for (size_t w = 0; w < words.size(); ++w) {
            if (phoneSet()[words[w].subject].name == name) {
                sum += levels[w];
                ++count;
            }
        }
        return sum / count;
    };
    const auto before = trialLoudness(units, words, 16000);
    EXPECT_GT(wordsOf("an", before) - wordsOf("u", before), 4.0);
    const SyllableSpread spread = evenSyllables(units, 16000);
    const auto after = trialLoudness(units, words, 16000);
    EXPECT_GT(spread.before, 4.0);
    EXPECT_LT(spread.after, 1.0);
    for (const char *name : {"u", "an", "l", "e"}) {
        EXPECT_NEAR(wordsOf(name, after), wordsOf("a", after), 1.0) << name;
    }
}

} // namespace
