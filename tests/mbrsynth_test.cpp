// The diphone synthesizer's core on a synthetic voice whose pitch, timbre
// and levels are known: timing, pitch, joins, streaming, and bad input.
#include "tests/mbrsynth_fixture.h"

#include "mbrsynth/output_buffer.h"
#include "mbrsynth/psola.h"
#include "mbrsynth/voice_db.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

using namespace mbrsynth_fixture;
using mbrsynth::ErrorCode;
using mbrsynth::Synthesizer;
using mbrsynth::Voice;

Synthesizer makeSynth(const std::vector<std::string> &missing = {}) {
    return Synthesizer(Voice(makeVoice(missing)));
}

size_t samplesOf(double ms) {
    return static_cast<size_t>(std::llround(ms * kRate / 1000.0));
}

struct TimingCase {
    const char *lines;
    double totalMs;
    int phones;
};

TEST(MbrSynth, TotalLengthIsTheSumOfTheDurations) {
    const TimingCase cases[] = {
        {"_ 50\na 200 50 100\n_ 50\n", 300, 3},
        {"a 80 0 150\ni 75\nu 333 100 90\n", 488, 3},                 // compressed, stretched
        {"s 400\na 30 50 200\ns 10\ni 1500 0 120 100 80\n", 1940, 4}, // much longer than units
        {"_ 0\na 0\ni 0\n", 0, 3},
    };
    for (const auto &c : cases) {
        auto synth = makeSynth();
        const auto samples = speak(synth, c.lines);
        const double period = static_cast<double>(kRate) / 80; // the lowest pitch used
        EXPECT_NEAR(static_cast<double>(samples.size()), c.totalMs * kRate / 1000,
                    c.phones * period)
            << c.lines;
    }
}

TEST(MbrSynth, PhonesSoundWhereTheirDurationsPlaceThem) {
    auto synth = makeSynth();
    const auto samples = speak(synth, "a 300 50 120\n_ 200\ni 300 50 120\n");
    const size_t period = kRate / 120;
    EXPECT_GT(rms(samples, period, samplesOf(300) - period), 500.0);
    EXPECT_LT(rms(samples, samplesOf(300) + 2 * period, samplesOf(500) - 2 * period), 50.0);
    EXPECT_GT(rms(samples, samplesOf(500) + period, samplesOf(800) - period), 500.0);
}

TEST(MbrSynth, VoicedPhonesFollowTheirPitchPoints) {
    auto synth = makeSynth();
    const double wanted[] = {80, 130, 200, 95, 160};
    std::string lines;
    const char *names[] = {"a", "i", "u", "a", "i"};
    for (size_t i = 0; i < 5; ++i) {
        lines += std::string(names[i]) + " 250 0 " + std::to_string(wanted[i]) + " 100 " +
                 std::to_string(wanted[i]) + "\n";
    }
    const auto samples = speak(synth, lines);
    for (size_t i = 0; i < 5; ++i) {
        const size_t from = samplesOf(250.0 * double(i) + 60),
                     to = samplesOf(250.0 * double(i) + 190);
        EXPECT_NEAR(measureF0(samples, from, to), wanted[i], wanted[i] * 0.05) << "phone " << i;
    }
}

TEST(MbrSynth, PhonesWithoutPointsTakeThePitchBetweenTheirNeighbours) {
    auto synth = makeSynth();
    // Points at 100 ms (90 Hz) and 700 ms (210 Hz): the middle phone spans
    // 200..600 ms, so its middle third should sit near 150 Hz.
    const auto samples = speak(synth, "a 200 50 90\ni 400\nu 200 50 210\n");
    EXPECT_NEAR(measureF0(samples, samplesOf(340), samplesOf(460)), 150.0, 150.0 * 0.05);
    // With no point at all the voice keeps the pitch it was recorded at.
    auto plain = makeSynth();
    const auto flat = speak(plain, "a 300\ni 300\n");
    EXPECT_NEAR(measureF0(flat, samplesOf(350), samplesOf(550)), kUnitPitch, kUnitPitch * 0.05);
}

// A click is a jump between consecutive samples far larger than the voice's
// own: at every join, no jump may exceed 1.5 times the largest jump found
// inside the units themselves.
TEST(MbrSynth, JoinsDoNotClick) {
    const auto voice = makeVoice();
    int unitJump = 0;
    for (size_t n = 1; n < voice.samples.size(); ++n) {
        unitJump = std::max(unitJump, std::abs(voice.samples[n] - voice.samples[n - 1]));
    }
    for (const char *pitch : {"100", "70", "180"}) {
        auto synth = makeSynth();
        std::string lines;
        for (const char *name : {"a", "i", "u", "a", "u", "i", "a"}) {
            lines += std::string(name) + " 200 50 " + pitch + "\n";
        }
        const auto samples = speak(synth, lines);
        for (size_t phone = 0; phone < 7; ++phone) {
            // Units meet in the middle of each phone (both halves equally long here).
            const size_t join = samplesOf(200.0 * double(phone) + 100);
            EXPECT_LE(largestJump(samples, join - 400, join + 400), unitJump * 3 / 2)
                << "phone " << phone << " at " << pitch << " Hz";
        }
    }
}

TEST(MbrSynth, SamplesComeOnceTheNextPhoneIsKnownAndTheRestAtTheFlush) {
    auto synth = makeSynth();
    synth.setLevelling(false);
    std::vector<int16_t> buffer(16000);
    synth.write("a 200 50 100\n");
    EXPECT_EQ(synth.read(buffer), 0u); // its right half depends on what follows
    synth.write("i 200 50 100\nu 2");  // the last line is still unfinished
    const size_t early = synth.read(buffer);
    EXPECT_GT(early, samplesOf(150));
    EXPECT_LT(early, samplesOf(400));
    synth.write("00\n");
    synth.flush();
    size_t total = early;
    for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
        total += got;
    }
    EXPECT_NEAR(static_cast<double>(total), static_cast<double>(samplesOf(600)), 160.0);
}

TEST(MbrSynth, ResetDropsEverythingPending) {
    auto synth = makeSynth();
    synth.setLevelling(false);
    std::vector<int16_t> buffer(100);
    synth.write("a 500 50 100\ni 500 50 100\nu 100");
    ASSERT_EQ(synth.read(buffer), 100u);
    synth.write("zz 100\n");
    synth.reset();
    EXPECT_EQ(synth.lastError(), ErrorCode::None);
    synth.flush();
    EXPECT_EQ(synth.read(buffer), 0u);
    const auto again = speak(synth, "i 100\n");
    EXPECT_EQ(again.size(), samplesOf(100));
}

TEST(MbrSynth, UnknownPhonemesAreSilenceAndReportedOnlyWhenAsked) {
    for (const bool quiet : {true, false}) {
        auto synth = makeSynth();
        synth.setNoError(quiet);
        const auto samples = speak(synth, "a 200 50 100\nqq 200\na 200 50 100\n");
        EXPECT_EQ(samples.size(), samplesOf(600));
        EXPECT_LT(rms(samples, samplesOf(230), samplesOf(370)), 50.0);
        EXPECT_EQ(synth.lastError(), quiet ? ErrorCode::None : ErrorCode::UnknownPhoneme);
        if (!quiet) {
            EXPECT_NE(synth.lastErrorText().find("qq"), std::string::npos);
        }
    }
}

TEST(MbrSynth, MissingDiphonesTakeAStandIn) {
    for (const bool quiet : {true, false}) {
        auto synth = makeSynth({"i-s", "s-i"});
        synth.setNoError(quiet);
        const auto samples = speak(synth, "i 200 50 100\ns 200\ni 200 50 100\n");
        EXPECT_EQ(samples.size(), samplesOf(600));
        EXPECT_GT(rms(samples, samplesOf(20), samplesOf(180)), 500.0);
        EXPECT_GT(rms(samples, samplesOf(220), samplesOf(380)), 200.0);
        EXPECT_EQ(synth.lastError(), quiet ? ErrorCode::None : ErrorCode::MissingDiphone);
    }
}

struct BadInputCase {
    const char *what;
    std::string lines;
    double expectedMs; // < 0: not checked
};

TEST(MbrSynth, BadInputIsClampedOrSkippedWithoutHarm) {
    std::string junk;
    for (int i = 1; i < 4000; ++i) {
        junk += static_cast<char>((i * 37) % 255 + 1);
    }
    const BadInputCase cases[] = {
        {"huge duration", "a 1e12 50 100\n", 10000},
        {"negative duration", "a -50\ni 100\n", 100},
        {"long name", std::string(200, 'a') + " 100\n", 100},
        {"no duration", "a\ni xx\nu 100\n", 100},
        {"negative and absurd pitch", "a 200 50 -300\ni 200 50 1e30\n", 400},
        {"positions outside 0..100", "a 200 -50 100 250 120\n", 200},
        {"odd pitch pair and comments", "a 100 50 ; 3 4\n; only a comment\ni 100 50 100 80\n", 200},
        {"binary junk", junk, -1},
        {"overlong line", std::string(10000, '7') + "\na 100\n", 100},
    };
    for (const auto &c : cases) {
        auto synth = makeSynth();
        synth.setNoError(true);
        const auto samples = speak(synth, c.lines);
        if (c.expectedMs >= 0) {
            EXPECT_NEAR(static_cast<double>(samples.size()), c.expectedMs * kRate / 1000, 200.0)
                << c.what;
        }
    }
}

TEST(MbrSynth, ExtremePitchesAreClampedToTheSaneRange) {
    auto synth = makeSynth();
    const auto low = speak(synth, "a 500 0 -300 100 5\n");
    EXPECT_NEAR(measureF0(low, samplesOf(100), samplesOf(400)), mbrsynth::kMinPitchHz, 3.0);
}

TEST(MbrSynth, TenThousandLinesStreamWithBoundedBuffers) {
    auto synth = makeSynth();
    std::vector<int16_t> buffer(16000);
    size_t total = 0;
    const char *names[] = {"a", "i", "s", "u", "_"};
    for (int i = 0; i < 10000; ++i) {
        synth.write(std::string(names[i % 5]) + " 20 50 " + std::to_string(90 + i % 40) + "\r\n");
        for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
            total += got;
        }
    }
    synth.flush();
    for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
        total += got;
    }
    EXPECT_EQ(total, samplesOf(200000));
}

TEST(MbrSynth, WritingWithoutReadingIsRefusedBeyondTheQueueLimit) {
    auto synth = makeSynth();
    std::string lines;
    for (size_t i = 0; i < mbrsynth::kMaxQueuedPhones + 10; ++i) {
        lines += "a 1\n";
    }
    synth.write(lines);
    EXPECT_EQ(synth.lastError(), ErrorCode::QueueFull);
    std::vector<int16_t> buffer(16000);
    synth.flush();
    size_t total = 0;
    for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
        total += got;
    }
    EXPECT_EQ(total, samplesOf(static_cast<double>(mbrsynth::kMaxQueuedPhones)));
}

TEST(MbrSynthDatabase, RoundTripsAndRefusesDamage) {
    const auto voice = makeVoice({"a-s"});
    const auto image = mbrsynth::encodeVoice(voice);
    std::string error;
    const auto decoded = mbrsynth::decodeVoice(image, error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->phonemes, voice.phonemes);
    EXPECT_EQ(decoded->diphones.size(), voice.diphones.size());
    EXPECT_EQ(decoded->samples, voice.samples);

    for (const size_t cut :
         {size_t{0}, size_t{3}, size_t{47}, size_t{48}, image.size() / 2, image.size() - 1}) {
        EXPECT_FALSE(mbrsynth::decodeVoice(std::span(image).first(cut), error)) << cut;
    }
    auto flipped = image;
    flipped[image.size() / 3] ^= 0x10;
    EXPECT_FALSE(mbrsynth::decodeVoice(flipped, error));
    EXPECT_NE(error.find("checksum"), std::string::npos);
}

// A file is digested part by part as it is read: any piecing of the bytes
// gives the one digest, and the digest sees a change anywhere.
TEST(MbrSynthDatabase, DigestIsTheSameHoweverTheBytesArePieced) {
    std::vector<uint8_t> bytes(301);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    const uint32_t whole = mbrsynth::voiceChecksum(bytes);
    const std::vector<std::vector<size_t>> piecings = {
        {0, 301}, {1, 300}, {31, 1, 269}, {32, 32, 237}, {5, 0, 7, 250, 39}, {300, 1}};
    for (const auto &sizes : piecings) {
        mbrsynth::VoiceDigest digest;
        size_t at = 0;
        for (const size_t size : sizes) {
            digest.add(std::span(bytes).subspan(at, size));
            at += size;
        }
        EXPECT_EQ(digest.value(), whole) << sizes.size() << " pieces, the first " << sizes[0];
    }
    for (const size_t at : {size_t{0}, size_t{8}, size_t{33}, size_t{299}, size_t{300}}) {
        auto changed = bytes;
        changed[at] ^= 0x01;
        EXPECT_NE(mbrsynth::voiceChecksum(changed), whole) << at;
    }
    EXPECT_NE(mbrsynth::voiceChecksum(std::span(bytes).first(300)), whole);
}

TEST(MbrSynthDatabase, RefusesInconsistentTablesEvenWithAGoodChecksum) {
    const auto base = makeVoice();
    auto outside = base;
    outside.diphones[3].sampleCount = static_cast<uint32_t>(base.samples.size());
    auto unordered = base;
    std::swap(unordered.marks[1], unordered.marks[2]);
    auto repeated = base;
    repeated.diphones[1].first = repeated.diphones[0].first;
    repeated.diphones[1].second = repeated.diphones[0].second;
    auto badPhoneme = base;
    badPhoneme.diphones[2].second = 99;
    auto badBoundary = base;
    badBoundary.diphones[0].boundary = badBoundary.diphones[0].sampleCount + 1;
    for (const auto *voice : {&outside, &unordered, &repeated, &badPhoneme, &badBoundary}) {
        std::string error;
        EXPECT_FALSE(mbrsynth::decodeVoice(mbrsynth::encodeVoice(*voice), error));
        EXPECT_FALSE(error.empty());
    }
}

double correlationAt(const std::vector<int16_t> &x, size_t from, size_t to, size_t lag) {
    double cross = 0, a = 0, b = 0;
    for (size_t n = from; n + lag < to; ++n) {
        cross += static_cast<double>(x[n]) * x[n + lag];
        a += static_cast<double>(x[n]) * x[n];
        b += static_cast<double>(x[n + lag]) * x[n + lag];
    }
    return a > 0 && b > 0 ? cross / std::sqrt(a * b) : 0.0;
}

// Noise stretched far beyond its recorded length must stay noise: taking
// the same grain again and again would make it buzz at the grain rate.
TEST(MbrSynth, StretchedNoiseDoesNotRepeatItsGrains) {
    auto synth = makeSynth();
    const auto samples = speak(synth, "_ 50\ns 1200\n_ 50\n");
    const size_t from = samplesOf(200), to = samplesOf(1100);
    ASSERT_GT(rms(samples, from, to), 200.0);
    for (const size_t lag : {40u, 80u, 160u, 240u}) {
        EXPECT_LT(std::abs(correlationAt(samples, from, to, lag)), 0.25) << lag;
    }
}

// The window comes from tables; a grain must still be the unit's samples
// times the raised cosine, exactly (to the 16-bit output), forwards and
// backwards, cut where the unit ends and where the output is complete.
TEST(MbrSynth, GrainsAreTheRaisedCosineTimesTheUnit) {
    mbrsynth::VoiceData voice;
    for (int i = 0; i < 100; ++i) {
        voice.samples.push_back(static_cast<int16_t>(7919 * (i + 1) % 30001 - 15000));
    }
    voice.diphones.push_back({0, 0, 0, 100, 0, 0, 50});
    const mbrsynth::Diphone &unit = voice.diphones[0];
    struct Case {
        uint32_t position, left, right;
        bool reversed;
        int64_t complete; // output samples before this are final already
        float weight;
    };
    const Case cases[] = {
        {50, 20, 30, false, 0, 1.0f},   // whole grain
        {50, 20, 30, true, 0, 0.75f},   // backwards: the right reach comes first
        {5, 40, 12, false, 0, 1.0f},    // cut at the unit's start
        {95, 12, 40, false, 0, 0.5f},   // cut at its end
        {10, 40, 7, true, 0, 1.0f},     // backwards past its end
        {50, 20, 30, false, 195, 1.0f}, // partly complete output
        {50, 20, 30, false, 250, 1.0f}, // wholly complete output
    };
    constexpr int64_t kCentre = 200;
    for (const Case &c : cases) {
        mbrsynth::OutputBuffer out;
        mbrsynth::WindowTables windows;
        out.markFinal(c.complete);
        const mbrsynth::GrainMark mark{&unit, c.position, c.left, c.right, true, c.reversed};
        mbrsynth::overlapAdd(out, windows, kCentre, voice, mark, c.weight);
        const int64_t end = kCentre + 64;
        out.markFinal(end);
        std::vector<int16_t> got(out.finalCount());
        got.resize(out.take(got, 1.0f));

        std::vector<float> wanted(static_cast<size_t>(end), 0.0f);
        const uint32_t before = c.reversed ? c.right : c.left;
        const uint32_t after = c.reversed ? c.left : c.right;
        for (int64_t k = 1 - static_cast<int64_t>(before); k < after; ++k) {
            const int64_t source = c.position + (c.reversed ? -k : k);
            const int64_t at = kCentre + k;
            if (source < 0 || source >= 100 || at < c.complete) {
                continue;
            }
            const double phase =
                std::numbers::pi * static_cast<double>(k) / (k < 0 ? before : after);
            const auto window = static_cast<float>(0.5 * (1.0 + std::cos(phase)));
            const float shaped = voice.samples[static_cast<size_t>(source)] * window;
            wanted[static_cast<size_t>(at)] += shaped * c.weight;
        }
        ASSERT_EQ(got.size(), wanted.size()) << c.position;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i], static_cast<int16_t>(std::lround(wanted[i])))
                << "case at " << c.position << (c.reversed ? " backwards" : "") << ", sample " << i;
        }
    }
}

} // namespace
