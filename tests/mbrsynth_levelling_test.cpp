// The synthesizer's utterance levelling: its meter against libebur128's,
// the gain limits, and utterances of any make-up coming out at one loudness
// without holding back more than they must.
#include "mbrsynth/levelling.h"
#include "tests/mbrsynth_fixture.h"
#include "tools/loudness/loudness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace mbrsynth_fixture;
using mbrsynth::Synthesizer;
using mbrsynth::Voice;

// A tone of `seconds` that sounds for `duty` of every 100 ms (a word's
// syllables and closures), with silence before and after.
std::vector<float> syllables(int rate, double frequency, double seconds, double amplitude,
                             double duty) {
    const auto lead = static_cast<size_t>(rate / 10);
    std::vector<float> samples(lead + static_cast<size_t>(seconds * rate) + lead, 0.0f);
    for (size_t n = lead; n + lead < samples.size(); ++n) {
        const double t = static_cast<double>(n - lead) / rate;
        if (std::fmod(t, 0.1) < 0.1 * duty) {
            samples[n] =
                static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * t));
        }
    }
    return samples;
}

TEST(MbrSynthLevelling, HearsAsLibebur128Does) {
    struct Case {
        int rate;
        double frequency, seconds, amplitude, duty;
    };
    const Case cases[] = {
        {16000, 1000, 0.25, 0.3, 1.0}, // one block over the sounding part
        {16000, 300, 0.8, 0.2, 0.6},   // gated blocks, closures between syllables
        {16000, 5000, 2.5, 0.05, 0.3}, // the shelf: high sounds weigh more
        {22050, 150, 0.39, 0.5, 0.8},  // just under one block
        {44100, 2500, 1.7, 0.01, 1.0}, // quiet
        {48000, 60, 1.0, 0.4, 0.5},    // low: the high-pass
    };
    for (const Case &c : cases) {
        const auto samples = syllables(c.rate, c.frequency, c.seconds, c.amplitude, c.duty);
        const auto ours = mbrsynth::loudnessLufs(samples, c.rate);
        const auto reference = loudness::loudnessOf(samples, static_cast<uint32_t>(c.rate));
        ASSERT_TRUE(ours && reference) << c.frequency;
        EXPECT_NEAR(*ours, *reference, 0.05) << c.rate << " Hz, " << c.frequency << " Hz tone";
    }
    EXPECT_FALSE(mbrsynth::loudnessLufs(std::vector<float>(16000, 0.0f), 16000));
}

TEST(MbrSynthLevelling, GainStaysWithinItsLimits) {
    const float scale = 32768.0f;
    const auto scaled = [&](std::vector<float> samples) {
        for (float &s : samples) {
            s *= scale;
        }
        return samples;
    };
    // Loud enough for a small correction: the result is at the level.
    const auto fair = scaled(syllables(16000, 400, 0.6, 0.15, 0.7));
    const double gain = mbrsynth::levellingGain(fair, 16000, scale);
    auto levelled = syllables(16000, 400, 0.6, 0.15 * gain, 0.7);
    EXPECT_NEAR(*loudness::loudnessOf(levelled, 16000), mbrsynth::kUtteranceLufs, 0.05);

    // A whisper is raised by no more than the limit, a shout lowered by no
    // more than its limit, and a peaky sound only up to the peak ceiling.
    const auto whisper = scaled(syllables(16000, 400, 0.6, 0.001, 0.7));
    EXPECT_NEAR(mbrsynth::levellingGain(whisper, 16000, scale),
                std::pow(10.0, mbrsynth::kMaxRaiseDb / 20.0), 1e-3);
    const auto shout = scaled(syllables(16000, 400, 0.6, 1.0, 1.0));
    EXPECT_NEAR(mbrsynth::levellingGain(shout, 16000, scale),
                std::pow(10.0, -mbrsynth::kMaxLowerDb / 20.0), 1e-3);
    auto click = std::vector<float>(8000, 0.0f);
    click[4000] = 0.5f * scale;
    EXPECT_LE(mbrsynth::levellingGain(click, 16000, scale) * 0.5, mbrsynth::kLevelledPeak);
    EXPECT_EQ(mbrsynth::levellingGain(std::vector<float>(100, 0.0f), 16000, scale), 1.0);
    // The level is the recordings' own.
    EXPECT_EQ(mbrsynth::kUtteranceLufs, loudness::kSpeechLufs);
}

// The fixture's voice, twice as loud: near enough to the level to be
// levelled without reaching a limit.
Voice louderVoice() {
    auto data = makeVoice();
    for (int16_t &s : data.samples) {
        s = static_cast<int16_t>(std::clamp(2 * s, -32768, 32767));
    }
    return Voice(std::move(data));
}

std::vector<float> asFloat(const std::vector<int16_t> &samples) {
    std::vector<float> out(samples.size());
    for (size_t n = 0; n < samples.size(); ++n) {
        out[n] = static_cast<float>(samples[n]) / 32768.0f;
    }
    return out;
}

TEST(MbrSynthLevelling, UtterancesOfAnyMakeUpComeOutAtOneLevel) {
    // The fixture's phonemes differ in level; "s" is noise.
    const char *utterances[] = {
        "_ 50\na 300 50 100\n_ 50\n", "i 120 50 140\nu 120\n", "s 200\na 80 50 100\ns 200\n_ 100\n",
        "a 700 0 90 100 130\ni 700\n_ 50\nu 500 50 110\n", // longer than the lookahead
    };
    Synthesizer raw{louderVoice()};
    raw.setLevelling(false);
    Synthesizer levelled{louderVoice()};
    std::vector<double> before;
    for (const char *lines : utterances) {
        before.push_back(*loudness::loudnessOf(asFloat(speak(raw, lines)), kRate));
        const auto samples = speak(levelled, lines);
        // The long one keeps the gain of its first part.
        const double tolerance = std::string(lines).size() > 40 ? 1.0 : 0.1;
        EXPECT_NEAR(*loudness::loudnessOf(asFloat(samples), kRate), mbrsynth::kUtteranceLufs,
                    tolerance)
            << lines;
    }
    EXPECT_GT(*std::max_element(before.begin(), before.end()) -
                  *std::min_element(before.begin(), before.end()),
              1.5); // the fixture's utterances were far apart to begin with
}

TEST(MbrSynthLevelling, AnUtteranceIsHeldOnlyUntilItEndsOrTheLookaheadIsMade) {
    Synthesizer synth{louderVoice()};
    std::vector<int16_t> buffer(16000);
    synth.write("a 300 50 100\ni 300\nu 300\n");
    EXPECT_EQ(synth.read(buffer), 0u); // not ended, shorter than the lookahead
    synth.flush();
    EXPECT_GT(synth.read(buffer), kRate * 850 / 1000);

    // A long utterance starts once the lookahead is made, before its end.
    synth.reset();
    std::string lines;
    for (int k = 0; k < 12; ++k) {
        lines += k % 2 ? "i 200\n" : "a 200 50 100\n";
    }
    synth.write(lines);
    EXPECT_GT(synth.read(buffer), 0u);

    // Two utterances written before reading keep their own gains: the
    // quiet one after the loud one is not pulled down with it.
    synth.reset();
    synth.write("a 400 50 100\n");
    synth.flush();
    synth.write("s 400\n");
    synth.flush();
    std::vector<int16_t> both;
    for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
        both.insert(both.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
    }
    ASSERT_GT(both.size(), kRate * 700 / 1000);
    const auto half = static_cast<long>(kRate * 400 / 1000);
    const std::vector<int16_t> first(both.begin(), both.begin() + half);
    const std::vector<int16_t> second(both.begin() + half, both.end());
    EXPECT_NEAR(*loudness::loudnessOf(asFloat(first), kRate), mbrsynth::kUtteranceLufs, 0.1);
    EXPECT_NEAR(*loudness::loudnessOf(asFloat(second), kRate), mbrsynth::kUtteranceLufs, 0.1);
}

} // namespace
