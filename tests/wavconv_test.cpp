// The WAV library behind tools/wavconv and tools/sfxgen: decoding of damaged and unusual files,
// trimming, levels and resampling.
#include "tools/wavconv/resampler.h"
#include "tools/wavconv/wav_dsp.h"
#include "tools/wavconv/wav_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>

namespace {

std::vector<float> sine(double frequency, uint32_t rate, size_t count, double amplitude = 1.0) {
    std::vector<float> samples(count);
    for (size_t n = 0; n < count; ++n) {
        samples[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                                             static_cast<double>(n) / rate));
    }
    return samples;
}

// Peak of the middle half, away from the edges where the filter lacks input.
float middlePeak(const std::vector<float> &samples) {
    const size_t quarter = samples.size() / 4;
    return wavkit::peakLevel(std::span(samples).subspan(quarter, 2 * quarter));
}

// A RIFF/WAVE image assembled from raw chunks, to feed the decoder.
std::vector<uint8_t>
riff(std::initializer_list<std::pair<const char *, std::vector<uint8_t>>> chunks) {
    std::vector<uint8_t> image = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto &[id, body] : chunks) {
        image.insert(image.end(), id, id + 4);
        const auto length = static_cast<uint32_t>(body.size());
        for (int i = 0; i < 4; ++i) {
            image.push_back(static_cast<uint8_t>(length >> (8 * i)));
        }
        image.insert(image.end(), body.begin(), body.end());
        if (body.size() % 2 == 1) {
            image.push_back(0);
        }
    }
    return image;
}

std::vector<uint8_t> fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> header(wav::HeaderSize);
    wav::writeHeader(header.data(), 0, rate, channels, bits);
    std::vector<uint8_t> body(header.begin() + 20, header.begin() + 36);
    body[0] = static_cast<uint8_t>(tag);
    body[1] = static_cast<uint8_t>(tag >> 8);
    return body;
}

TEST(WavEncoding, RoundTripsWithinOneStepAndClamps) {
    const wavkit::Sound sound{11025, {0.0f, 0.5f, -0.5f, 0.999f, -1.0f, 1.7f, -3.0f}};
    for (uint16_t bits : {uint16_t{8}, uint16_t{16}}) {
        const auto image = wavkit::encodeWav(sound, bits);
        ASSERT_EQ(wav::HeaderSize + sound.samples.size() * bits / 8, image.size());
        std::string error;
        const auto decoded = wavkit::decodeWav(image, error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(11025u, decoded->rate);
        ASSERT_EQ(sound.samples.size(), decoded->samples.size());
        const float step = bits == 8 ? 1.0f / 127 : 1.0f / 32767;
        for (size_t i = 0; i < sound.samples.size(); ++i) {
            EXPECT_NEAR(std::clamp(sound.samples[i], -1.0f, 1.0f), decoded->samples[i], step)
                << bits << " bits, sample " << i;
        }
    }
    EXPECT_EQ(128, wavkit::encodeWav(sound, 8)[44]) << "silence is 128 in unsigned 8-bit";
}

TEST(WavDecoding, RejectsWhatItCannotPlay) {
    const std::vector<uint8_t> someData = {0, 0, 0, 0};
    const struct {
        const char *why;
        std::vector<uint8_t> image;
    } cases[] = {
        {"empty", {}},
        {"not RIFF", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"no chunks", riff({})},
        {"no format", riff({{"data", someData}})},
        {"compressed", riff({{"fmt ", fmtBody(2, 1, 11025, 8)}, {"data", someData}})},
        {"24-bit", riff({{"fmt ", fmtBody(1, 1, 11025, 24)}, {"data", someData}})},
        {"six channels", riff({{"fmt ", fmtBody(1, 6, 11025, 16)}, {"data", someData}})},
        {"rate 10 Hz", riff({{"fmt ", fmtBody(1, 1, 10, 8)}, {"data", someData}})},
        {"short format", riff({{"fmt ", {1, 0, 1, 0}}, {"data", someData}})},
        {"no data", riff({{"fmt ", fmtBody(1, 1, 11025, 8)}})},
    };
    for (const auto &c : cases) {
        std::string error;
        EXPECT_FALSE(wavkit::decodeWav(c.image, error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
}

TEST(WavDecoding, SkipsPaddedChunksAndMixesStereo) {
    // An odd-sized chunk before the data is followed by a pad byte.
    const std::vector<uint8_t> stereo = {0x00, 0x40, 0x00, 0x00, 0x00, 0xC0, 0x00, 0xC0};
    const auto image =
        riff({{"fmt ", fmtBody(1, 2, 22050, 16)}, {"LIST", {1, 2, 3}}, {"data", stereo}});
    std::string error;
    const auto sound = wavkit::decodeWav(image, error);
    ASSERT_TRUE(sound) << error;
    ASSERT_EQ(2u, sound->samples.size());
    EXPECT_FLOAT_EQ(0.25f, sound->samples[0]);
    EXPECT_FLOAT_EQ(-0.5f, sound->samples[1]);
}

TEST(WavDecoding, TakesATruncatedDataChunkAsFarAsItGoes) {
    auto image = riff({{"fmt ", fmtBody(1, 1, 11025, 8)}, {"data", {128, 255, 0}}});
    image.pop_back(); // the pad byte
    image.pop_back(); // and the last sample: the chunk now claims more than there is
    std::string error;
    const auto sound = wavkit::decodeWav(image, error);
    ASSERT_TRUE(sound) << error;
    EXPECT_EQ(2u, sound->samples.size());
}

TEST(TrimSilence, KeepsTheLoudPartAndAMarginOnEachSide) {
    std::vector<float> samples(100, 0.001f);
    samples[40] = 0.5f;
    samples[60] = -0.5f;
    const auto trimmed = wavkit::trimSilence(samples, 0.1f, 5);
    ASSERT_EQ(31u, trimmed.size()); // 35..65
    EXPECT_EQ(0.5f, trimmed[5]);
    EXPECT_EQ(-0.5f, trimmed[25]);

    EXPECT_EQ(100u, wavkit::trimSilence(samples, 0.1f, 80).size()) << "margin beyond the ends";
    EXPECT_TRUE(wavkit::trimSilence(samples, 0.9f, 5).empty()) << "all below the threshold";
    EXPECT_TRUE(wavkit::trimSilence({}, 0.1f, 5).empty());
}

TEST(Levels, NormaliseFadeAndQuietRuns) {
    std::vector<float> samples = {0.0f, 0.2f, -0.4f, 0.1f, 0.0f, 0.0f, 0.0f, 0.3f};
    wavkit::normalisePeak(samples, 0.8f);
    EXPECT_FLOAT_EQ(0.8f, wavkit::peakLevel(samples));
    EXPECT_FLOAT_EQ(-0.8f, samples[2]);

    std::vector<float> silence(10, 0.0f);
    wavkit::normalisePeak(silence, 0.8f);
    EXPECT_EQ(0.0f, wavkit::peakLevel(silence));

    EXPECT_EQ(3u, wavkit::longestQuietRun(samples, 0.05f));
    EXPECT_NEAR(-1.0f, 20.0f * std::log10(wavkit::dbToLinear(-1.0f)), 1e-5f);

    std::vector<float> flat(100, 1.0f);
    wavkit::fadeEdges(flat, 10);
    EXPECT_LT(flat.front(), 0.05f);
    EXPECT_LT(flat.back(), 0.05f);
    EXPECT_LT(flat[5], 1.0f);
    EXPECT_EQ(1.0f, flat[10]);
    EXPECT_EQ(1.0f, flat[89]);
}

TEST(Resample, KeepsSpeechBandAndRemovesWhatWouldFoldBack) {
    struct Case {
        double frequency;
        uint32_t from, to;
        float minPeak, maxPeak;
    };
    const Case cases[] = {
        {1000.0, 22050, 11025, 0.98f, 1.02f}, // well inside the new band
        {3000.0, 22050, 11025, 0.95f, 1.02f},
        {7000.0, 22050, 11025, 0.0f, 0.01f}, // above 5512 Hz: must not alias to 4025 Hz
        {9000.0, 22050, 11025, 0.0f, 0.01f},
        {1000.0, 11025, 22050, 0.98f, 1.02f}, // upsampling
        {1000.0, 16000, 11025, 0.98f, 1.02f}, // a ratio that is not whole
    };
    for (const Case &c : cases) {
        const auto input = sine(c.frequency, c.from, c.from / 2);
        const auto output = wavkit::resample(input, c.from, c.to);
        EXPECT_EQ(static_cast<size_t>(input.size() * uint64_t{c.to} / c.from), output.size());
        const float peak = middlePeak(output);
        EXPECT_GE(peak, c.minPeak) << c.frequency << " Hz, " << c.from << " -> " << c.to;
        EXPECT_LE(peak, c.maxPeak) << c.frequency << " Hz, " << c.from << " -> " << c.to;
    }
    const auto same = sine(440.0, 11025, 500);
    EXPECT_EQ(same, wavkit::resample(same, 11025, 11025));
    EXPECT_TRUE(wavkit::resample({}, 22050, 11025).empty());
}

// The windowed sinc evaluated afresh at every tap, as the filter is defined:
// 24 zero crossings, cutoff at 0.85 of the lower Nyquist frequency, Blackman.
std::vector<float> directSinc(std::span<const float> input, uint32_t from, uint32_t to) {
    const double cutoff = 0.85 * std::min(1.0, static_cast<double>(to) / from);
    const double halfWidth = 24.0 / cutoff;
    std::vector<float> output(static_cast<size_t>(input.size() * uint64_t{to} / from));
    for (size_t n = 0; n < output.size(); ++n) {
        const double centre = static_cast<double>(n * uint64_t{from}) / to;
        double sum = 0.0;
        for (auto k = static_cast<int64_t>(std::ceil(centre - halfWidth));
             k <= static_cast<int64_t>(std::floor(centre + halfWidth)); ++k) {
            const double d = static_cast<double>(k) - centre, x = d / halfWidth;
            if (k < 0 || k >= static_cast<int64_t>(input.size()) || std::abs(x) >= 1.0)
                continue;
            const double a = std::numbers::pi * cutoff * d;
            const double sinc = std::abs(a) < 1e-9 ? 1.0 : std::sin(a) / a;
            const double blackman = 0.42 + 0.5 * std::cos(std::numbers::pi * x) +
                                    0.08 * std::cos(2.0 * std::numbers::pi * x);
            sum += input[static_cast<size_t>(k)] * cutoff * sinc * blackman;
        }
        output[n] = static_cast<float>(sum);
    }
    return output;
}

// The precomputed phases (and the filter's own sine) give what the direct
// evaluation gives; where the ratio has more phases than are kept, the
// nearest phase is within a hair of it.
TEST(Resample, PolyphaseTableMatchesTheDirectWindowedSinc) {
    struct Case {
        uint32_t from, to;
        float tolerance;
    };
    const Case cases[] = {{11025, 22050, 1e-6f}, {22050, 11025, 1e-6f}, {16000, 22050, 1e-6f},
                          {44100, 16000, 1e-6f}, {16000, 11025, 1e-6f}, {11025, 16001, 1e-3f},
                          {22050, 16000, 1e-6f}}; // the engine's voice from espeak-ng
    std::vector<float> input = sine(440.0, 11025, 1500, 0.6);
    uint32_t seed = 1;
    for (float &sample : input) { // and some noise, to reach every frequency
        seed = seed * 1664525u + 1013904223u;
        sample += static_cast<float>(seed >> 8) / 16777216.0f * 0.4f - 0.2f;
    }
    for (const Case &c : cases) {
        const auto wanted = directSinc(input, c.from, c.to);
        const auto got = wavkit::Resampler(c.from, c.to).convert(input);
        ASSERT_EQ(got.size(), wanted.size()) << c.from << " -> " << c.to;
        float worst = 0.0f;
        for (size_t n = 0; n < got.size(); ++n)
            worst = std::max(worst, std::abs(got[n] - wanted[n]));
        EXPECT_LE(worst, c.tolerance) << c.from << " -> " << c.to;
    }
}

TEST(AtomicWrite, ReplacesTheFileOrLeavesNothing) {
    const auto dir = std::filesystem::path(testing::TempDir()) / "wavconv_test";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "out.wav").string();
    const std::vector<uint8_t> bytes = {1, 2, 3};
    std::string error;
    ASSERT_TRUE(wavkit::writeFileAtomically(path, bytes, error)) << error;
    std::vector<uint8_t> back;
    ASSERT_TRUE(wavkit::readFileBytes(path, back, error)) << error;
    EXPECT_EQ(bytes, back);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    // a file already there is replaced
    const std::vector<uint8_t> other = {4, 5};
    ASSERT_TRUE(wavkit::writeFileAtomically(path, other, error)) << error;
    ASSERT_TRUE(wavkit::readFileBytes(path, back, error)) << error;
    EXPECT_EQ(other, back);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    const auto missing = (dir / "no-such-dir" / "out.wav").string();
    EXPECT_FALSE(wavkit::writeFileAtomically(missing, bytes, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::filesystem::remove_all(dir);
}

} // namespace
