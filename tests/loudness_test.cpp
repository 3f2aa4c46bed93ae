// The meter and the leveller behind the recordings' common loudness
// (tools/loudness): short and long sounds, silence, peaks over the ceiling.
#include "tools/loudness/leveller.h"
#include "tools/loudness/loudness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kRate = 22050;

std::vector<float> tone(double frequency, double seconds, double amplitude) {
    std::vector<float> samples(static_cast<size_t>(seconds * kRate));
    for (size_t n = 0; n < samples.size(); ++n) {
        samples[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                                             static_cast<double>(n) / kRate));
    }
    return samples;
}

std::vector<float> padded(std::vector<float> sound, double before, double after) {
    std::vector<float> out(static_cast<size_t>(before * kRate), 0.0f);
    out.insert(out.end(), sound.begin(), sound.end());
    out.resize(out.size() + static_cast<size_t>(after * kRate), 0.0f);
    return out;
}

TEST(Loudness, A1kHzSineReadsAsTheStandardSays) {
    // A full-scale 1 kHz sine is -3.01 LUFS; 20 dB lower, -23.01.
    for (double seconds : {2.0, 0.2}) {
        const auto loud = loudness::loudnessOf(tone(1000, seconds, 1.0), kRate);
        const auto soft = loudness::loudnessOf(tone(1000, seconds, 0.1), kRate);
        ASSERT_TRUE(loud && soft) << seconds;
        EXPECT_NEAR(*loud, -3.01, 0.1) << seconds;
        EXPECT_NEAR(*soft, -23.01, 0.1) << seconds;
    }
}

TEST(Loudness, SilenceAtTheEdgesDoesNotChangeAShortSound) {
    // 150 ms of tone inside 1 s of silence is measured over its sounding part.
    const auto bare = loudness::loudnessOf(tone(500, 0.15, 0.3), kRate);
    const auto inSilence = loudness::loudnessOf(padded(tone(500, 0.15, 0.3), 0.5, 0.35), kRate);
    ASSERT_TRUE(bare && inSilence);
    EXPECT_NEAR(*bare, *inSilence, 0.2);
    EXPECT_FALSE(loudness::loudnessOf(std::vector<float>(kRate, 0.0f), kRate));
    EXPECT_FALSE(loudness::loudnessOf({}, kRate));
}

TEST(Loudness, SoundingPartAndClippedSamples) {
    const auto sound = padded(tone(500, 0.1, 0.5), 0.01, 0.02);
    const auto part = loudness::soundingPart(sound);
    EXPECT_NEAR(static_cast<double>(part.begin), 0.01 * kRate, 2.0);
    EXPECT_NEAR(static_cast<double>(sound.size() - part.end), 0.02 * kRate, 8.0);
    const std::vector<float> codes = {0.0f, 127.0f / 128.0f, -1.0f, 0.5f, 32767.0f / 32768.0f};
    EXPECT_EQ(loudness::clippedSamples(codes, 8), 3u);
    EXPECT_EQ(loudness::clippedSamples(codes, 16), 2u);
}

TEST(Leveller, BringsSoundsOfAnyLevelAndLengthToTheTarget) {
    const struct {
        double frequency, seconds, amplitude;
    } cases[] = {{440, 1.5, 0.05}, {440, 1.5, 0.9}, {2000, 0.12, 0.02}, {150, 0.6, 0.4}};
    for (const auto &c : cases) {
        auto samples = tone(c.frequency, c.seconds, c.amplitude);
        const auto result = loudness::levelTo(samples, kRate, -20.0, -1.0);
        ASSERT_TRUE(result.ok);
        EXPECT_NEAR(result.lufs, -20.0, 0.1) << c.frequency << " Hz, " << c.seconds << " s";
        EXPECT_LE(result.truePeakDb, -1.0);
        EXPECT_NEAR(*loudness::loudnessOf(samples, kRate), result.lufs, 1e-6);
    }
}

TEST(Leveller, LimitsPeaksThatTheGainWouldPushOverTheCeiling) {
    // A quiet tone with a few loud clicks: one gain cannot reach -16 LUFS
    // under -1 dBTP, so the clicks are limited and the tone keeps its level.
    auto samples = tone(300, 1.0, 0.05);
    for (size_t at : {3000u, 9000u, 15000u}) {
        for (size_t k = 0; k < 20; ++k) {
            samples[at + k] += (k % 2 ? -0.9f : 0.9f);
        }
    }
    const auto result = loudness::levelTo(samples, kRate, -16.0, -1.0);
    ASSERT_TRUE(result.ok);
    EXPECT_NEAR(result.lufs, -16.0, 0.3);
    EXPECT_LE(result.truePeakDb, -1.0);
    EXPECT_LE(loudness::truePeakDb(samples, kRate), -1.0);
}

TEST(Leveller, LimitPeaksNeverRaisesAndGlides) {
    auto samples = tone(200, 0.2, 0.5);
    const auto before = samples;
    samples[2000] = 0.95f;
    loudness::limitPeaks(samples, 0.6f, 100);
    EXPECT_LE(std::abs(samples[2000]), 0.6f + 1e-6f);
    for (size_t n = 0; n < samples.size(); ++n) {
        if (n != 2000) {
            ASSERT_LE(std::abs(samples[n]), std::abs(before[n]) + 1e-6f) << n;
        }
    }
    // Far from the peak nothing changes.
    EXPECT_EQ(samples[100], before[100]);
    EXPECT_EQ(samples[4000], before[4000]);
}

} // namespace
